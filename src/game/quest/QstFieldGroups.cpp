#include "src/game/quest/QstField.h"

#include "framework/files/ProcessLog.h"
#include "src/game/quest/QstFieldControl.h"
#include "src/game/quest/QstFieldLayer.h"
#include "src/game/quest/QstXmlElement.h"
#include "src/game/quest/Layer/QstImageLayer.h"
#include "src/game/quest/Layer/QstLayer.h"
#include "src/game/quest/Layer/QstLayerData.h"

#include <set>
#include <tinyxml.h>

namespace Quib {

namespace {

std::string TrimBlanks(const std::string& text)
{
    const size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos)
        return std::string();
    const size_t last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

std::set<std::string> SplitNames(const std::string& list)
{
    std::set<std::string> names;
    size_t start = 0;
    while (start <= list.size()) {
        size_t comma = list.find(',', start);
        if (comma == std::string::npos)
            comma = list.size();
        std::string part = TrimBlanks(list.substr(start, comma - start));
        if (!part.empty())
            names.insert(part);
        start = comma + 1;
    }
    return names;
}

std::string ResNameOf(const QstFieldLayer* member)
{
    const QstLayer* layer = member->GetLayer();
    return (layer && layer->data) ? layer->data->GetResName() : std::string();
}

} // namespace

bool QstField::ReadVisibleGroup(QstXmlElement& element)
{
    QstFieldVisibleGroup group;
    if (!element.GetAttr("name", group.name))
        return false;
    if (group.name.empty())
        return element.ReportError("Name must not be empty");
    if (!element.GetAttr("mask", group.mask))
        return false;
    visibleGroups.emplace(group.name, std::move(group));
    return true;
}

void QstField::BindVisibleGroups()
{
    for (auto& [groupName, group] : visibleGroups) {
        for (QstFieldLayer* layer : layers) {
            if (layer->IsInVisibleGroup(group.name, group.mask))
                group.members.push_back(layer);
        }
    }
}

QstFieldVisibleGroup* QstField::FindVisibleGroup(const std::string& groupName)
{
    auto found = visibleGroups.lower_bound(groupName);
    if (found == visibleGroups.end() || found->first != groupName)
        return nullptr;
    return &found->second;
}

bool QstField::SetGroupVisible(const std::string& groupName, bool visible, bool immediately)
{
    QstFieldVisibleGroup* group = FindVisibleGroup(groupName);
    if (!group)
        return false;
    group->visible = visible;
    for (QstFieldLayer* member : group->members) {
        if (member->GetLayer())
            QstImageLayer::SetDataGroupVisible(member->GetLayer(), visible, immediately);
    }
    return true;
}

bool QstField::SaveState(QstXmlElement& element)
{
    for (const auto& [groupName, group] : visibleGroups) {
        std::string exception;
        for (const QstFieldLayer* member : group.members) {
            const QstLayer* layer = member->GetLayer();
            if (!layer || !layer->data || layer->data->groupVisible == group.visible)
                continue;
            if (!exception.empty())
                exception += ",";
            exception += ResNameOf(member);
        }
        if (exception.empty() && group.visible)
            continue;
        QstXmlElement child(element.GetHandler(), &element, "VisibleGroup");
        child.SetAttr(group.name, "name");
        child.SetAttr(group.visible ? "1" : "0", "is_visible");
        child.SetAttr(exception, "exception");
    }
    if (closeHidden)
        element.SetAttr("1", "CloseHidden");
    return true;
}

bool QstField::LoadState(QstXmlElement& element)
{
    TiXmlElement* xml = element.GetElement();
    for (TiXmlElement* child = xml ? xml->FirstChildElement("VisibleGroup") : nullptr; child;
         child = child->NextSiblingElement("VisibleGroup")) {
        QstXmlElement cursor(child, element);
        std::string groupName;
        if (!cursor.GetAttr("name", groupName))
            return false;
        QstFieldVisibleGroup* group = FindVisibleGroup(groupName);
        if (!group) {
            // A profile written by another version of the scene: the other
            // groups are still restored.
            ProcessLog::GetInstance()->LogInfo(
                "Try to load from profile visible group that does not exists: \"%s\" (field \"%s\")", groupName,
                name);
            continue;
        }
        std::string visibleText;
        if (!cursor.GetAttr("is_visible", visibleText))
            return false;
        std::string exceptionText;
        if (!cursor.GetAttr("exception", exceptionText))
            return false;
        group->visible = visibleText == "1";
        const std::set<std::string> exceptions = SplitNames(exceptionText);
        for (QstFieldLayer* member : group->members) {
            QstLayer* layer = member->GetLayer();
            if (!layer)
                continue;
            const bool value = exceptions.count(ResNameOf(member)) ? !group->visible : group->visible;
            QstImageLayer::SetDataGroupVisible(layer, value, true);
            layer->Update(0.001f);
        }
    }
    if (element.HasAttr("CloseHidden"))
        DisableClose();
    return true;
}

} // namespace Quib
