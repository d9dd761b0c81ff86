"""The action kinds of scene scripts, and a check that demo scenes use them all.

Every element of an action group (OnClick, OnUse, OnWin, and the children of
Action, Wait, ToHOG, CheckState, ToMovie's OnDone) is one of KINDS, or a
UseAction reference to a named action.
"""
import xml.etree.ElementTree as ET

KINDS = (
    "SetState", "Action", "AddPopupField", "ShowVisibleGroup", "HideVisibleGroup", "ToPool",
    "RemoveFromPool", "ToScene", "CheckState", "ToHOG", "Wait", "AddParticles", "Sound",
    "RemovePopupField", "MsgBubble", "MsgBook", "ToMovie", "AddProgress", "DisablePopupClose",
)

GROUPS = ("OnClick", "OnUse", "OnWin")
NESTING = ("Action", "Wait", "ToHOG", "CheckState")


def _walk_group(group, found):
    for child in group:
        if child.tag in KINDS:
            found.add(child.tag)
            if child.tag in NESTING:
                _walk_group(child, found)
            elif child.tag == "ToMovie":
                for done in child.findall("OnDone"):
                    _walk_group(done, found)


def kinds_used(scene_texts):
    """The action kinds that the scripts of the given scene documents use."""
    found = set()
    for text in scene_texts:
        root = ET.fromstring(text)
        for element in root.iter():
            if element.tag in GROUPS:
                _walk_group(element, found)
    return found


def check_all_kinds_used(scene_texts):
    """Raises ValueError naming the kinds that no scene script uses."""
    missing = [k for k in KINDS if k not in kinds_used(scene_texts)]
    if missing:
        raise ValueError("demo scenes use no action of kind: " + ", ".join(missing))
