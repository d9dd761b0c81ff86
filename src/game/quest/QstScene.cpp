#include "src/game/quest/QstScene.h"

#include "framework/files/IniData.h"
#include "framework/files/PakInterface.h"
#include "framework/files/PrintfFormat.h"
#include "framework/files/ProcessLog.h"
#include "framework/files/Random.h"
#include "framework/files/StringTokenizer.h"
#include "framework/files/StringUtils.h"
#include "framework/widgets/WidgetManager.h"
#include "platform/MessageSink.h"
#include "platform/WindowMessages.h"
#include "src/GameApp.h"
#include "src/GameSettings.h"
#include "src/Lang.h"
#include "src/Profiles.h"
#include "src/game/AmbientSet.h"
#include "src/game/quest/Layer/QstFlashEffect.h"
#include "src/particles/ParticlesCommon.h"
#include "src/particles/ParticlesWidget.h"
#include "src/particles/ParticlesWidgetOwner.h"
#include "src/game/quest/Layer/QstSceneDistortion.h"
#include "src/game/quest/Layer/QstSeaLayer.h"
#include "src/game/quest/PsdPicture.h"
#include "src/game/quest/QstActor.h"
#include "src/game/quest/QstField.h"
#include "src/game/quest/QstFieldItemLayer.h"
#include "src/game/quest/QstFieldLayer.h"
#include "src/game/quest/QstGameControllerScene.h"
#include "src/game/quest/QstItem.h"
#include "src/game/quest/QstItemState.h"
#include "src/game/quest/QstMinigameFactory.h"
#include "src/game/quest/QstPoolData.h"
#include "src/game/quest/QstTutor.h"
#include "src/game/quest/QstXmlElement.h"
#include "src/game/quest/SBackFromHOGData.h"
#include "src/game/quest/actions/QstAction.h"
#include "src/game/quest/actions/QstActionCycles.h"
#include "src/game/quest/actions/QstActionData.h"
#include "src/screens/DarkBack.h"

#include <tinyxml.h>

#include <algorithm>
#include <set>

namespace Quib {

namespace {

int& SceneUpdateCounter()
{
    static int counter = 0;
    return counter;
}

QstAction* CreateActionForData(void* context, QstItem* item, const std::string& name)
{
    return static_cast<QstScene*>(context)->DoCreateAction(item, name, false, false);
}

void ReportCycle(void* context, const std::string& text)
{
    static_cast<QstScene*>(context)->OnXmlError(text, nullptr);
}

float NextGlintCountdown()
{
    return RandomFloat(4.0f, 8.0f);
}

} // namespace

// The glints' particle widgets are children of a field, listed in its effect
// list, and drawn in the scene's colour. A widget can outlive its field and
// the scene while it waits in the application's deferred deletion; this
// owner stays until the last of them is gone.
struct QstGlintOwner : ParticlesWidgetOwner {
    explicit QstGlintOwner(QstScene* owner) : scene(owner) {}

    Color GetParticlesColor() const override { return scene ? scene->color : Color::White; }
    void ForgetParticlesWidget(ParticlesWidget* widget) override
    {
        alive.erase(widget);
        if (scene) {
            // The field may be walking its list right now (deleting its
            // effects as it closes): the entry is blanked, not erased.
            for (auto& [fieldName, field] : scene->fields)
                std::replace(field->childWidgets.begin(), field->childWidgets.end(), static_cast<Widget*>(widget),
                             static_cast<Widget*>(nullptr));
        } else if (alive.empty()) {
            delete this;
        }
    }
    // The scene goes: the owner stays only for widgets still alive.
    void Release()
    {
        scene = nullptr;
        if (alive.empty())
            delete this;
    }

    QstScene* scene;
    std::set<ParticlesWidget*> alive;
};

QstScene::QstScene(const std::string& name)
    : LevelBase(name), filePath("data\\scenes\\" + name + ".xml"), actor(new QstActor(this)),
      hintGlintCountdown(NextGlintCountdown()), glintOwner(new QstGlintOwner(this))
{
}

QstScene::~QstScene()
{
    delete distortion;
    distortion = nullptr;
    delete tutorial;
    tutorial = nullptr;
    for (QstField* field : onScreenFields) {
        if (field->parent == this)
            DetachChild(field);
        if (field->darkBack && field->darkBack->parent == this) {
            DetachChild(field->darkBack);
            delete field->darkBack;
            field->darkBack = nullptr;
        }
    }
    onScreenFields.clear();
    runningActions.Clear();
    // Taken out of the map first: effects that die with a field ask the
    // scene to forget them, and must find no field that is already gone.
    std::map<std::string, QstField*> doomed;
    doomed.swap(fields);
    for (auto& [fieldName, field] : doomed)
        delete field;
    for (auto& [itemName, item] : items)
        delete item;
    items.clear();
    for (QstFieldLayer* layer : itemLayers)
        delete layer;
    itemLayers.clear();
    for (auto& [dataName, data] : actionData)
        delete data;
    actionData.clear();
    refusedActionData.clear();
    DetachAllChildren(true, false);
    glintOwner->Release();
    glintOwner = nullptr;
    if (ambientSounds)
        ReleaseAmbientSet(ambientSounds);
    ambientSounds = nullptr;
    delete actor;
    actor = nullptr;
}

// ---------------------------------------------------------------------------
// Scene slots

void QstScene::ForEachItemPass1()
{
    for (auto& [itemName, item] : items) {
        for (auto& [stateName, state] : item->states) {
            for (const QstUseEntry& entry : state->useEntries) {
                if (entry.groupName.empty() || entry.targetItem.empty())
                    continue;
                QstItem* target = ResolveItem(entry.targetItem);
                QstItemState* targetState = target ? target->GetState(entry.targetState) : nullptr;
                if (!targetState)
                    continue; // an unresolved target is a data error the hints can live without
                targetState->AddUsedOn(item->GetFullName(), state->name);
            }
        }
    }
}

void QstScene::ForEachItemPass2()
{
    for (auto& [itemName, item] : items)
        for (auto& [stateName, state] : item->states)
            state->ComputeHintId();
}

void QstScene::ReplaceLayer(QstFieldLayer* oldLayer, QstFieldLayer* newLayer)
{
    std::replace(itemLayers.begin(), itemLayers.end(), oldLayer, newLayer);
}

void QstScene::OnFieldShown(QstField* field)
{
    field->Open();
}

void QstScene::OnFieldRemoved(QstField* field)
{
    field->OnClosed();
}

// ---------------------------------------------------------------------------
// Widget

void QstScene::OnAttachedToManager(WidgetManager* widgetManager)
{
    Widget::OnAttachedToManager(widgetManager);
    if (manager)
        manager->focusWidget = this;
}

void QstScene::OnKeyDown(int key)
{
    if (auto* parentWidget = dynamic_cast<Widget*>(parent)) {
        FocusClaim() = false;
        parentWidget->OnKeyDown(key);
        FocusClaim() = true;
    }
    if (QstField* top = GetTopField())
        top->OnKeyDown(key);
}

// ---------------------------------------------------------------------------
// LevelBase

void QstScene::LoadLevel()
{
    loadFailed = !LoadScene();
    if (loadFailed)
        QUIB_LOG_ERROR("Scene \"%s\" failed to load from \"%s\"", levelName, filePath);
    if (QstField* mainField = GetField("main")) {
        if (std::find(onScreenFields.begin(), onScreenFields.end(), mainField) == onScreenFields.end())
            AddPopupField("main", false);
        mainField->framed = false;
    } else if (!loadFailed) {
        loadFailed = true;
        OnXmlError("Field \"main\" not found", nullptr);
    }
}

void QstScene::SaveState()
{
    QstXmlElement root(GetXmlErrorHandler(), nullptr, "Scene");
    for (auto& [fieldName, field] : fields) {
        QstXmlElement cursor(root.handler, &root, "Field");
        field->SaveState(cursor);
        if (cursor.element)
            cursor.SetAttr(fieldName, "name");
    }
    for (auto& [itemName, item] : items) {
        QstXmlElement cursor(root.handler, &root, "Item");
        item->SaveState(cursor);
        if (cursor.element)
            cursor.SetAttr(itemName, "name");
    }
    if (onScreenFields.size() > 1) {
        std::string names;
        for (size_t i = 1; i < onScreenFields.size(); ++i) {
            if (i > 1)
                names += ",";
            names += onScreenFields[i]->name;
        }
        root.SetAttr(names, "draw_fields");
    }
    std::string printed;
    if (root.element) {
        TiXmlDocument document;
        document.LinkEndChild(root.element);
        TiXmlPrinter printer;
        document.Accept(&printer);
        printed = printer.Str();
    }
    Profiles& profiles = Profiles::Instance();
    std::string old;
    if (printed.empty() && !profiles.Lookup("Scenes", levelName, old))
        return;
    profiles.SetString("Scenes", levelName, printed);
}

void QstScene::LoadState()
{
    std::string stored;
    if (!Profiles::Instance().Lookup("Scenes", levelName, stored) || stored.empty())
        return;
    TiXmlDocument document;
    document.Parse(stored.c_str(), nullptr, TIXML_ENCODING_LEGACY);
    if (document.Error())
        return;
    TiXmlElement* rootXml = document.RootElement();
    if (!rootXml || std::string(rootXml->Value()) != "Scene")
        return;
    QstXmlElement root(rootXml, GetXmlErrorHandler());
    for (TiXmlElement* fieldXml = rootXml->FirstChildElement("Field"); fieldXml;
         fieldXml = fieldXml->NextSiblingElement("Field")) {
        QstXmlElement cursor(fieldXml, root);
        std::string fieldName;
        if (!cursor.GetAttr("name", fieldName))
            return;
        QstField* field = GetField(fieldName);
        if (!field) {
            cursor.ReportError(StrFormat("Try to load from profile field that does not exists: \"%s\"", fieldName));
            return;
        }
        field->LoadState(cursor);
    }
    for (TiXmlElement* itemXml = rootXml->FirstChildElement("Item"); itemXml;
         itemXml = itemXml->NextSiblingElement("Item")) {
        QstXmlElement cursor(itemXml, root);
        std::string itemName;
        if (!cursor.GetAttr("name", itemName))
            return;
        QstItem* item = GetItem(itemName);
        if (!item) {
            cursor.ReportError(StrFormat("Try to load from profile item that does not exists: \"%s\"", itemName));
            return;
        }
        item->LoadState(cursor);
    }
    const std::string drawFields = root.GetAttrDefault("draw_fields", "");
    CloseAllPopups();
    StringTokenizer tokens(drawFields);
    std::string name;
    while (tokens.Next(&name)) {
        if (name.empty())
            continue;
        // A stale profile may name a field the scene no longer has.
        if (!GetField(name)) {
            QUIB_LOG_ERROR("Scene \"%s\": the profile names a field that does not exist: \"%s\"", levelName, name);
            continue;
        }
        AddPopupField(name, true);
    }
}

// ---------------------------------------------------------------------------
// XML errors

bool QstScene::OnXmlError(const std::string& error, TiXmlElement* element)
{
    std::string description;
    if (element) {
        description = QstXmlElement::Describe(element, nullptr);
        if (element->Row() > 0)
            description += StrFormat(" (line %d)", element->Row());
    }
    const std::string separator = element ? "; " : "";
    OutputDebugString(StrFormat("(file: \"%s%s\"%s): %s\n", filePath, separator, description, error));
    std::string text = error;
    if (element)
        text += "\n" + description;
    ShowMessageBox(text, "Xml error (\"" + filePath + "\")!", MB_OK);
    return false;
}

QstXmlErrorHandler QstScene::GetXmlErrorHandler()
{
    return {this, [](void* self, const std::string& error, TiXmlElement* element) {
                return static_cast<QstScene*>(self)->OnXmlError(error, element);
            }};
}

// ---------------------------------------------------------------------------
// Loading

bool QstScene::LoadScene()
{
    const bool loaded = ReadDocument();
    // Layers no field took (all of them when the load stopped early) belong
    // to the scene, so that every layer has exactly one owner.
    for (PsdLayerInfo& info : loadContext.layers) {
        for (QstFieldLayer* user : info.users)
            itemLayers.push_back(user);
        info.users.clear();
    }
    return loaded;
}

bool QstScene::ReadDocument()
{
    const std::string text = PakReadWholeFile(filePath);
    if (text.empty())
        return OnXmlError("Can't load file", nullptr);

    TiXmlDocument document;
    document.Parse(text.c_str(), nullptr, TIXML_ENCODING_LEGACY);
    if (document.Error()) {
        std::string what = document.ErrorDesc() ? document.ErrorDesc() : "XML error";
        if (document.ErrorRow() > 0)
            what += StrFormat(" (line %d, column %d)", document.ErrorRow(), document.ErrorCol());
        return OnXmlError(what, nullptr);
    }

    PsdPicture picture("data\\scenes\\" + levelName + "\\", false);
    loadContext.layers.clear();
    loadContext.directory = picture.directory;
    for (PsdPictureLayer* layer : picture.layers) {
        PsdLayerInfo info;
        info.name = layer->name;
        info.x = static_cast<float>(layer->x);
        info.y = static_cast<float>(layer->y);
        info.baseZ = layer->z * 100;
        loadContext.layers.push_back(std::move(info));
    }

    TiXmlElement* rootXml = document.RootElement();
    if (!rootXml || std::string(rootXml->Value()) != "Scene")
        rootXml = document.FirstChildElement("Scene");
    if (!rootXml)
        return OnXmlError("Root \"Scene\" element not found", nullptr);
    QstXmlElement root(rootXml, GetXmlErrorHandler());

    std::string ambientName;
    if (!root.GetAttr("ambient_sounds", ambientName))
        return false;
    if (ambientSounds)
        ReleaseAmbientSet(ambientSounds);
    ambientSounds = LoadAmbientSet(ambientName);

    if (root.GetAttrBool("distortion", false) && !distortion) {
        GameApp* app = GetGameApp();
        distortion = new QstSceneDistortion(app ? app->appWidth : 1024, app ? app->appHeight : 768);
    }

    if (!LoadItems(root, loadContext, ""))
        return false;

    for (TiXmlElement* fieldXml = rootXml->FirstChildElement("Field"); fieldXml;
         fieldXml = fieldXml->NextSiblingElement("Field")) {
        QstXmlElement cursor(fieldXml, root);
        QstField* field = CreateMinigameField(this, cursor);
        if (!field)
            field = new QstField(this);
        // The first error ends the load, in a field as anywhere else.
        if (!field->DoInitFromXML(cursor, loadContext)) {
            delete field;
            return false;
        }
        if (fields.count(field->name)) {
            const std::string taken = field->name;
            delete field;
            return cursor.ReportError("Field \"" + taken + "\" already exists");
        }
        fields[field->name] = field;
    }

    if (TiXmlElement* tutorXml = rootXml->FirstChildElement("Tutorial")) {
        QstXmlElement cursor(tutorXml, root);
        tutorial = new QstTutor(this);
        tutorial->DoInitFromXML(cursor, loadContext);
        if (tutorial->IsFinished()) {
            delete tutorial;
            tutorial = nullptr;
        }
    }

    for (auto& [fieldName, field] : fields) {
        field->BindPsdLayers(loadContext);
        field->BindVisibleGroups();
    }
    // Descriptions that run themselves would recurse without end.
    RefuseActionCycles(actionData, refusedActionData, &ReportCycle, this);
    return true;
}

bool QstScene::LoadItems(QstXmlElement& element, SLoadLayerDataCont& context, const std::string& mask)
{
    TiXmlElement* xml = element.GetElement();
    for (TiXmlElement* child = xml ? xml->FirstChildElement("Item") : nullptr; child;
         child = child->NextSiblingElement("Item")) {
        QstXmlElement cursor(child, element);
        auto* item = new QstItem(this, std::string());
        if (!item->DoInitFromXML(cursor, context, mask)) {
            item->DiscardLayers(context);
            delete item;
            return false;
        }
        if (items.count(item->GetName())) {
            const std::string taken = item->GetName();
            item->DiscardLayers(context);
            delete item;
            return cursor.ReportError("Item \"" + taken + "\" already exists");
        }
        items[item->GetName()] = item;
    }
    return true;
}

// ---------------------------------------------------------------------------
// Fields

Rect QstScene::AreaCoveredAbove(const QstField* field) const
{
    if (!field || field->parent != this)
        return Rect();
    // The fields drawn after it: later in the drawing order of the children.
    bool after = false;
    Rect best;
    for (const Widget* child : children) {
        if (child == field) {
            after = true;
            continue;
        }
        const auto* above = dynamic_cast<const QstField*>(child);
        if (!after || !above)
            continue;
        const Rect area = above->OpaqueScreenArea();
        if (int64_t(area.width) * area.height > int64_t(best.width) * best.height)
            best = area;
    }
    return best;
}

QstField* QstScene::AddPopupField(const std::string& name, bool popup)
{
    QstField* field = GetField(name);
    if (!field) {
        QUIB_LOG_ERROR("Try to add field \"%s\" that does not exist in scene \"%s\"", name, levelName);
        return nullptr;
    }
    if (std::find(onScreenFields.begin(), onScreenFields.end(), field) != onScreenFields.end()) {
        ShowMessageBox("Try to add field \"" + name + "\", thats already on screen", "Error", MB_OK);
        return field; // shown once: a second entry would update it twice per frame
    }
    field->closable = popup;
    if (!popup) {
        field->alpha = 1.0f;
        field->targetAlpha = 1.0f;
    }
    onScreenFields.push_back(field);
    if (popup) {
        auto* back = new DarkBack(Delegate(field, &QstField::CloseCallback), backdropParam);
        field->darkBack = back;
        back->coveredArea = [field] { return field->OpaqueScreenArea(); };
        AttachChild(back);
    }
    AttachChild(field);
    OnFieldShown(field);
    UpdateFieldInput();
    return field;
}

void QstScene::UpdateFieldInput()
{
    for (QstField* field : onScreenFields)
        field->SetDisabled(true);
    if (!onScreenFields.empty())
        onScreenFields.back()->SetDisabled(false);
}

void QstScene::CloseTopPopupField()
{
    if (!onScreenFields.empty())
        onScreenFields.back()->Close(true);
}

void QstScene::CloseAllPopups()
{
    // Each round takes the top field off the screen; a field that refuses to
    // go ends the loop rather than spinning on it.
    while (onScreenFields.size() > 1) {
        QstField* top = onScreenFields.back();
        top->Close(true);
        if (!onScreenFields.empty() && onScreenFields.back() == top)
            RemoveField(top);
    }
    UpdateFieldInput();
}

void QstScene::RemoveField(QstField* field)
{
    // Once per showing: the field's own update and the scene's may both ask.
    auto it = std::find(onScreenFields.begin(), onScreenFields.end(), field);
    if (it == onScreenFields.end())
        return;
    OnFieldRemoved(field);
    it = std::find(onScreenFields.begin(), onScreenFields.end(), field);
    if (it != onScreenFields.end())
        onScreenFields.erase(it);
    if (field->parent == this)
        DetachChild(field);
    UpdateFieldInput();
}

bool QstScene::DisableFieldClose(const std::string& fieldName)
{
    QstField* field = GetField(fieldName);
    if (!field)
        return false;
    field->DisableClose();
    return true;
}

bool QstScene::SetGroupVisible(const std::string& groupName, bool visible, bool immediately)
{
    bool found = false;
    for (auto& [fieldName, field] : fields)
        found = field->SetGroupVisible(groupName, visible, immediately) || found;
    return found;
}

QstField* QstScene::GetField(const std::string& name) const
{
    auto found = fields.find(name);
    return found == fields.end() ? nullptr : found->second;
}

QstField* QstScene::GetTopField() const
{
    return onScreenFields.empty() ? nullptr : onScreenFields.back();
}

// ---------------------------------------------------------------------------
// Lookups

QstItem* QstScene::GetItem(const std::string& name) const
{
    auto found = items.find(name);
    return found == items.end() ? nullptr : found->second;
}

bool QstScene::CanTakePoolItem(QstItem* item, QstItemState* state)
{
    QstField* top = GetTopField();
    return !top || top->CanTakePoolItem(item, state);
}

QstItem* QstScene::ResolveItem(const std::string& reference)
{
    if (reference.empty())
        return nullptr;
    const size_t colon = reference.find(':');
    if (colon == std::string::npos)
        return GetItem(reference);
    const std::string sceneName = reference.substr(0, colon);
    const std::string itemName = reference.substr(colon + 1);
    if (EqualsNoCase(sceneName, levelName.c_str()))
        return GetItem(itemName);
    QstScene* other = QstGameControllerScene::Instance().GetOrLoadScene(sceneName);
    return other ? other->GetItem(itemName) : nullptr;
}

QstItem* QstScene::GetItemByRef(const std::string& reference)
{
    const size_t colon = reference.find(':');
    if (reference.empty() || colon == std::string::npos)
        return nullptr;
    QstScene* scene = QstGameControllerScene::Instance().GetOrLoadScene(reference.substr(0, colon));
    return scene ? scene->GetItem(reference.substr(colon + 1)) : nullptr;
}

PsdLayerInfo* QstScene::FindPsdLayer(const std::string& name)
{
    return loadContext.Find(name);
}

QstActionData* QstScene::FindActionData(const std::string& name) const
{
    auto found = actionData.find(name);
    return found == actionData.end() ? nullptr : found->second;
}

const std::string& QstScene::GetClusterName()
{
    if (!clusterName.empty())
        return clusterName;
    IniData& settings = GetGameSettings();
    std::vector<std::string> keys;
    settings.GetKeyNames("clusters", keys);
    for (const std::string& key : keys) {
        std::vector<std::string> names;
        settings.GetValues(names, key, "clusters");
        for (std::string sceneName : names) {
            sceneName = TrimSpaces(sceneName);
            // The settings are read lower-cased; scene names keep their case.
            if (EqualsNoCase(sceneName, levelName.c_str())) {
                clusterName = key;
                return clusterName;
            }
        }
    }
    return clusterName;
}

void QstScene::GetItemNames(std::vector<std::string>& out) const
{
    for (const auto& [itemName, item] : items)
        out.push_back(itemName);
}

void QstScene::ShowMessage(const std::u16string& text, float duration)
{
    if (!text.empty() && messageDelegate)
        messageDelegate(text, duration);
}

void QstScene::SetPool(QstPoolData* newPool)
{
    pool = newPool;
    if (actor)
        actor->SetPool(newPool);
}

// ---------------------------------------------------------------------------
// Listener

bool QstScene::DoAddActionData(QstActionData* data)
{
    if (!data)
        return false;
    if (actionData.count(data->GetName())) {
        OnXmlError("Action \"" + data->GetName() + "\" already exists", nullptr);
        // Other descriptions may point at it: keep it alive, out of the map.
        refusedActionData.emplace_back(data);
        return false;
    }
    actionData[data->GetName()] = data;
    return true;
}

bool QstScene::OnItemNameChanged(QstItem* item, const std::string& oldName, const std::string& newName)
{
    if (!IsItemNameFree(newName))
        return false;
    auto found = items.find(oldName);
    if (found == items.end()) {
        QUIB_LOG_ERROR("Try to rename item \"%s\" that does not exists", oldName);
        return false;
    }
    QstItem* moved = found->second;
    items.erase(found);
    items[newName] = moved;
    (void)item;
    return true;
}

bool QstScene::IsItemNameFree(const std::string& name)
{
    return items.find(name) == items.end();
}

QstAction* QstScene::DoCreateAction(QstItem* item, const std::string& dataName, bool addToRunning, bool start)
{
    QstActionData* data = FindActionData(dataName);
    if (!data) {
        QUIB_LOG_ERROR("Try to create action with type \"%s\" that doesn't exists", dataName);
        return nullptr;
    }
    QstAction* action = data->CreateAction(actor, item, CreateActionDelegate{this, &CreateActionForData});
    if (!action)
        return nullptr;
    if (addToRunning && !runningActions.Add(action))
        return nullptr; // the full list has logged and deleted it
    if (start)
        action->Start();
    return action;
}

EQstCursorType QstScene::DoItemActionHitTest(QstItem*, const std::string& dataName, std::string& popupField,
                                             std::string* target)
{
    QstActionData* data = FindActionData(dataName);
    if (!data) {
        QUIB_LOG_ERROR("Try to create action with type \"%s\" that doesn't exists", dataName);
        return QST_CURSOR_NONE;
    }
    return data->GetCursorType(actor, popupField, nullptr, target);
}

// ---------------------------------------------------------------------------
// Images

void QstScene::UnloadScene(QstScene* scene)
{
    if (!scene || !scene->layersLoaded)
        return;
    scene->layersLoaded = false;
    for (auto& [fieldName, field] : scene->fields)
        field->UnloadLayers();
    for (QstFieldLayer* layer : scene->itemLayers)
        layer->Unload();
}

void QstScene::LoadLayers(QstScene* scene)
{
    if (!scene || scene->layersLoaded)
        return;
    scene->layersLoaded = true;
    for (auto& [fieldName, field] : scene->fields)
        field->Layout();
    for (QstFieldLayer* layer : scene->itemLayers)
        layer->Load();
    if (scene->ambientSounds)
        scene->ambientSounds->PreloadAll();
}

const std::string& QstScene::GetSceneKey()
{
    static const std::string key = "scene";
    return key;
}

bool& QstScene::FocusClaim()
{
    static bool claim = true;
    return claim;
}

// ---------------------------------------------------------------------------
// Update and hints

void QstScene::UpdateScene(float seconds)
{
    // Fields: a field closed by its update leaves the screen.
    std::vector<QstField*> shown = onScreenFields;
    for (QstField* field : shown) {
        if (std::find(onScreenFields.begin(), onScreenFields.end(), field) == onScreenFields.end())
            continue;
        field->Update(seconds);
        if (field->IsClosed())
            RemoveField(field);
    }

    if (QstGameControllerScene* controller = QstGameControllerScene::Existing()) {
        // Actions may load scenes or empty the registry: walk a copy and
        // update only scenes that are still registered.
        std::vector<std::pair<std::string, QstScene*>> registered;
        for (const auto& [sceneName, scene] : controller->Scenes())
            registered.emplace_back(sceneName, scene.get());
        for (const auto& [sceneName, scene] : registered) {
            auto found = controller->Scenes().find(sceneName);
            if (found != controller->Scenes().end() && found->second.get() == scene)
                scene->runningActions.Update(seconds);
        }
        if (controller->FindLoadedScene(levelName) != this) // a scene outside the registry
            runningActions.Update(seconds);
    } else {
        runningActions.Update(seconds);
    }

    if (distortion)
        distortion->Advance(seconds);

    if (manager && FocusClaim())
        manager->focusWidget = this;

    if (hintGlintCountdown != 0.0f && seconds <= std::abs(hintGlintCountdown)) {
        hintGlintCountdown += hintGlintCountdown > 0.0f ? -seconds : seconds;
    } else {
        hintGlintCountdown = NextGlintCountdown();
        std::vector<QstClickTarget> clicks;
        std::vector<QstUseTarget> uses;
        CollectActionable(clicks, uses);
        clicks.erase(std::remove_if(clicks.begin(), clicks.end(),
                                    [](const QstClickTarget& c) {
                                        const FRect r = c.state ? c.state->GetBoundingRect() : FRect();
                                        return r.width * r.height > 10000.0f;
                                    }),
                     clicks.end());
        const size_t n = clicks.size() + uses.size();
        if (n != 0) {
            const size_t index = MersenneNext() % n;
            if (index < clicks.size())
                ShowGlint(clicks[index], false);
            else
                ShowGlint(uses[index - clicks.size()], false);
        }
    }

    if (manager)
        QstSeaLayer::AdvanceSeaClock();

    int& counter = SceneUpdateCounter();
    ++counter;
    if (counter % 50 == 0 && manager && manager->IsKeyDown(VK_ADD))
        TriggerAllCandidates();

    Invalidate();
}

void QstScene::CollectActionable(std::vector<QstClickTarget>& clicks, std::vector<QstUseTarget>& uses)
{
    std::vector<QstPoolItemInfo> inventory;
    if (pool)
        pool->CollectItems(inventory);
    std::vector<QstClickTarget> candidateClicks;
    std::vector<QstUseTarget> candidateUses;
    for (auto& [fieldName, field] : fields)
        for (QstFieldLayer* layer : field->layers)
            layer->CollectTargets(inventory, candidateClicks, candidateUses);
    const std::string top = GetTopField() ? GetTopField()->name : std::string();
    for (const QstClickTarget& record : candidateClicks) {
        if (!IsUsefulTarget(record, top, candidateClicks, candidateUses))
            continue;
        if (record.opens.empty())
            clicks.push_back(record);
        else
            clicks.insert(clicks.begin(), record);
    }
    for (const QstUseTarget& record : candidateUses) {
        if (!IsUsefulTarget(record, top, candidateClicks, candidateUses))
            continue;
        if (record.opens.empty())
            uses.push_back(record);
        else
            uses.insert(uses.begin(), record);
    }
}

bool QstScene::IsUsefulTarget(const QstClickTarget& record, const std::string& fieldName,
                              const std::vector<QstClickTarget>& clicks, const std::vector<QstUseTarget>& uses,
                              std::set<std::string>* underTest)
{
    if (!record.item || record.item->GetListener() != this || !record.field || record.field->name != fieldName)
        return false;
    if (record.opens.empty())
        return true;
    QstField* opened = GetField(record.opens);
    if (!opened)
        return false;
    if (opened->IsHintStop())
        return true;
    std::set<std::string> top;
    std::set<std::string>& visiting = underTest ? *underTest : top;
    if (!visiting.insert(record.opens).second)
        return false; // already being decided: fields that open each other
    bool useful = false;
    for (const QstClickTarget& click : clicks) {
        if (IsUsefulTarget(click, record.opens, clicks, uses, &visiting)) {
            useful = true;
            break;
        }
    }
    if (!useful) {
        for (const QstUseTarget& use : uses) {
            if (IsUsefulTarget(use, record.opens, clicks, uses, &visiting)) {
                useful = true;
                break;
            }
        }
    }
    visiting.erase(record.opens);
    return useful;
}

bool QstScene::ShowHint()
{
    std::vector<QstClickTarget> clicks;
    std::vector<QstUseTarget> uses;
    CollectActionable(clicks, uses);
    if (clicks.empty() && uses.empty()) {
        ShowMessage(Lang::Instance()("Interface", "NoMoreHints"), -1.0f);
        return false;
    }
    if (!clicks.empty()) {
        ShowGlint(clicks.front(), true);
    } else {
        ShowGlint(uses.front(), true);
        if (pool)
            pool->ShowHintOn(uses.front().poolItem);
    }
    return true;
}

void QstScene::TriggerAllCandidates()
{
    std::vector<QstClickTarget> clicks;
    std::vector<QstUseTarget> uses;
    CollectActionable(clicks, uses);
    for (const QstClickTarget& click : clicks)
        ShowGlint(click, true);
    for (const QstUseTarget& use : uses) {
        ShowGlint(use, true);
        if (pool && use.poolEntry)
            pool->StartHintEffect(use.poolEntry);
    }
}

void QstScene::ShowGlint(const QstClickTarget& candidate, bool hint)
{
    if (!candidate.field || !candidate.field->parent || !candidate.state)
        return;
    TPoint<float> position;
    if (candidate.state->hasHintPos) {
        position = {static_cast<float>(candidate.state->hintPos[0]), static_cast<float>(candidate.state->hintPos[1])};
    } else {
        const FRect r = candidate.state->GetBoundingRect();
        position = {r.x + r.width * 0.5f, r.y + r.height * 0.5f};
    }
    std::unique_ptr<ParticlesCommon> effect = CreateQstFlashEffect(GetClusterName(), hint, position);
    if (effect) {
        candidate.field->childWidgets.remove(nullptr);
        auto* widget = new ParticlesWidget(std::move(effect), glintOwner);
        glintOwner->alive.insert(widget);
        candidate.field->AddEffect(widget);
    }
}

void QstScene::BackFromHOG(const SBackFromHOGData& data, QstPoolData* targetPool)
{
    if (!data.wonActions.empty())
        DoCreateAction(data.GetItem(), data.wonActions, true, true);
    if (!data.noToPool) {
        for (const std::string& itemName : data.foundItems) {
            QstItem* item = GetItem(itemName);
            if (!item) {
                QUIB_LOG_ERROR("Failed to get item \"%s\" (%s)", itemName, data.wonActions);
                continue;
            }
            item->SetState("pool", true);
            if (targetPool)
                targetPool->AddItem(item, "pool", "", nullptr, true, nullptr, nullptr);
        }
    }
    if (tutorial)
        tutorial->OnWinHog();
}

} // namespace Quib
