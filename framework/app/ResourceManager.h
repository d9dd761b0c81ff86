#pragma once
#include "framework/app/SharedImageRef.h"
#include "framework/graphics/ImageAnimation.h"

#include <cstdint>
#include <exception>
#include <list>
#include <map>
#include <memory>
#include <set>
#include <string>

namespace Quib {

class DDImage;
class Font;
class QuibAppBase;
class SoundManager;
class XMLElement;
class XMLParser;

// What the getters throw: the manager's error text.
class ResourceManagerException : public std::exception {
public:
    explicit ResourceManagerException(std::string text) : errorText(std::move(text)) {}
    const char* what() const noexcept override { return errorText.c_str(); }

    std::string errorText;
};

// The resource manifest and its resources. The manifest (XML) declares
// image, sound and font resources in named groups; a group is loaded on
// request and its resources are then handed out by id. Errors are recorded
// (the first one wins) and reported as a false result; only the getters
// throw. Main thread only, except that a group may be loaded on the loading
// thread while nothing else uses the manager.
class ResourceManager {
public:
    enum ResType : int32_t { ResType_Image = 0, ResType_Sound = 1, ResType_Font = 2 };

    class BaseRes {
    public:
        virtual ~BaseRes() = default;
        // Gives up what loading made; the record stays defined.
        virtual void Unload() {}

        int32_t type = ResType_Image;
        std::string id;
        std::string group;
        std::string path;
        std::map<std::u16string, std::u16string> attributes;
        bool program = false; // the path is "!program": never loaded
        // Where the manifest declares it, for the load errors.
        int32_t manifestLine = 0;
        std::string manifestFile;
    };

    class ImageRes : public BaseRes {
    public:
        void Unload() override;

        SharedImageRef image;
        std::string alphaImage;
        std::string alphaGrid;
        std::string variant;
        bool palletize = true;
        bool a4r4g4b4 = false;
        bool a8r8g8b8 = false;
        bool ddsurface = false;
        bool purgeBits = false;
        bool minSubdivide = false;
        int32_t rows = 1;
        int32_t cols = 1;
        uint32_t alphaColor = 0xFFFFFF;
        ImageAnimation animation;
    };

    class SoundRes : public BaseRes {
    public:
        void Unload() override;

        ResourceManager* manager = nullptr;
        int32_t soundId = -1;
        double volume = -1.0; // below 0: the base volume is left alone
        int32_t pan = 0;      // 0: the base pan is left alone
    };

    class FontRes : public BaseRes {
    public:
        void Unload() override;

        std::unique_ptr<Font> font;
        std::string imagePath;
        std::string tags;
        bool sysFont = false;
        bool bold = false;
        bool italic = false;
        bool underline = false;
        int32_t pointSize = 0;
    };

    using ResMap = std::map<std::string, std::unique_ptr<BaseRes>>;
    using ResList = std::list<BaseRes*>;

    // A cel grid side beyond this is refused (a cel is at least a pixel).
    static constexpr int32_t kMaxCelGrid = 4096;

    explicit ResourceManager(QuibAppBase* application);
    ResourceManager(const ResourceManager&) = delete;
    ResourceManager& operator=(const ResourceManager&) = delete;

    // Reading the manifest.
    virtual bool ParseCommonResource(const XMLElement& element, BaseRes* res, ResMap& map);
    virtual bool ParseSoundResource(const XMLElement& element);
    virtual bool ParseImageResource(const XMLElement& element);
    virtual bool ParseFontResource(const XMLElement& element);
    virtual bool ParseSetDefaults(const XMLElement& element);
    virtual bool ParseResources();
    // Unloads the resources of a group (every group for an empty name).
    virtual void DeleteResources(const std::string& group);
    virtual void DeleteResourceMap(ResMap& map, const std::string& group);
    virtual bool DoLoadImage(ImageRes* res);
    virtual bool DoLoadFont(FontRes* res);
    virtual bool DoLoadSound(SoundRes* res);
    virtual ~ResourceManager();
    // Loads the next resource of the current group that is not loaded;
    // false at the end of the group or when a load failed.
    virtual bool LoadNextResource();
    virtual void ResourceLoadedHook(BaseRes* res);
    virtual void StartLoadResources(const std::string& group);
    // Loads every resource of the group that is not loaded. A resource that
    // fails is reported (process log) and the rest are still loaded; the
    // result is then false and the error text names the first failure.
    virtual bool LoadResources(const std::string& group);
    virtual SharedImageRef GetImageThrow(const std::string& id);
    virtual int GetSoundThrow(const std::string& id);
    virtual Font* GetFontThrow(const std::string& id);

    // True when no error was recorded (this call does not clear earlier
    // ones).
    bool ParseManifest(const std::string& fileName);
    bool ParseResourcesGroup();
    // Keeps the text as the error unless one is recorded already (with the
    // manifest line and file while the manifest is read). Always false.
    bool RecordError(const std::string& text);
    std::string GetErrorText() const { return errorText; }
    bool HadError() const { return hasFailed; }
    // The loaded font of a font resource; null when the id is not a font.
    Font* FindLoadedFont(const std::string& id);
    bool LoadAlphaImage(ImageRes* res, DDImage* image);
    bool LoadAlphaGridImage(ImageRes* res, DDImage* image);

    // The shared-image variant of a record: its variant, and for a record
    // whose load changes the picture (alpha picture, alpha grid, alpha
    // colour, cel grid, animation) a description of that change, so that
    // two records share a picture only when they make it alike.
    static std::string SharedImageVariant(const ImageRes& res);

    std::set<std::string> loadedGroups;
    ResMap imageMap;
    ResMap soundMap;
    ResMap fontMap;
    XMLParser* parser = nullptr; // while the manifest is read
    std::string errorText;
    bool hasFailed = false;
    QuibAppBase* app;
    // Where the sounds go; none: the application's sound manager. Without
    // either, sounds fail to load.
    SoundManager* soundManager = nullptr;
    SoundManager* Sounds() const;
    std::string currentGroup;
    std::string defaultPath;
    std::string defaultIdPrefix;
    std::map<std::string, ResList> groups;
    ResList* currentList = nullptr;
    ResList::iterator loadCursor;

private:
    // A load failure of a record: the text with the record's manifest place,
    // logged and recorded. Always false.
    bool RecordLoadError(const BaseRes& res, const std::string& text);
    // Takes a record out of its map and group again.
    void Undefine(ResMap& map, BaseRes* res);
};

} // namespace Quib
