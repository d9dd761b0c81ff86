// A whole quest scene frame at 1024 x 768 in the software path: the scene
// update (fields, layers, particles, animation, sea clock, distortion) and
// the widget tree's draw of the main view with a close-up open over it.
// The scene: an opaque backdrop, a sea strip (SeaBack), twelve translucent
// item pictures, an animated flame, a particle fountain, a text sign, and a
// popup field with its own backdrop and three items; once without and once
// with the scene distortion. Each frame's time is printed as a ratio to
// five full-frame memcpys, as bench_display_frame does.

#include "framework/app/DDInterface.h"
#include "framework/app/QuibAppBase.h"
#include "framework/files/Singletone.h"
#include "framework/graphics/DDImage.h"
#include "framework/graphics/ImageLib.h"
#include "framework/graphics/SysFont.h"
#include "framework/widgets/WidgetManager.h"
#include "platform/FileNames.h"
#include "platform/TextCodecs.h"
#include "src/GameResources.h"
#include "src/GameSettings.h"
#include "src/UserFolders.h"
#include "src/game/quest/QstScene.h"
#include "src/particles/EmitterFile.h"
#include "bench/FrameCopies.h"
#include "bench/RecordingReporter.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

using namespace Quib;

namespace {

constexpr int kW = 1024, kH = 768;

std::string gFolder; // the scratch working directory

void WriteFile(const std::string& name, const std::string& bytes)
{
    const std::filesystem::path path = std::filesystem::path(gFolder) / name;
    std::filesystem::create_directories(path.parent_path());
    FILE* f = std::fopen(path.c_str(), "wb");
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
}

template <class F>
void WritePicture(const std::string& name, int w, int h, F argbAt)
{
    ImageLib::Image image;
    image.width = w;
    image.height = h;
    image.pixels = new uint32_t[size_t(w) * size_t(h)];
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            image.pixels[size_t(y) * size_t(w) + size_t(x)] = argbAt(x, y);
    const std::filesystem::path path = std::filesystem::path(gFolder) / ("data/scenes/" + name + ".png");
    std::filesystem::create_directories(path.parent_path());
    ImageLib::WritePng(path.string(), &image);
}

// A round picture with a soft rim.
uint32_t Round(int x, int y, int size, uint32_t tint)
{
    const double c = (size - 1) / 2.0, r = size * 0.45;
    const double cover = std::clamp((r - std::hypot(x - c, y - c)) / 3.0, 0.0, 1.0);
    return uint32_t(cover * 255 + 0.5) << 24 | ((tint ^ uint32_t(x * 3 + y)) & 0xFFFFFF);
}

std::string LayerLine(const std::string& name, int x, int y, int z)
{
    return name + " = " + std::to_string(x) + " " + std::to_string(y) + " 0 0 0 0 " + std::to_string(z) + "\r\n";
}

// The scene documents "Quay" (plain) and "QuayRipple" (distortion on) over
// one layered picture each.
void WriteScenes()
{
    std::string layers = LayerLine("main/back", 0, 0, 0) + LayerLine("main/sea", 0, 548, 1);
    std::string items;
    for (int i = 0; i < 12; ++i) {
        const std::string name = "main/thing" + std::to_string(i);
        layers += LayerLine(name, 40 + 80 * i, 300 + 37 * (i % 5), 10 + i);
        items += "<Item name=\"thing" + std::to_string(i) + "\"><State name=\"normal\" image=\"" + name + "\"/></Item>";
    }
    for (int i = 1; i <= 4; ++i)
        layers += LayerLine("main/flame/" + std::to_string(i), 600 + i, 180 - 2 * i, 30);
    layers += LayerLine("main/lamp", 590, 270, 29) + LayerLine("main/sign", 120, 120, 31);
    layers += LayerLine("box/back", 262, 184, 40);
    for (int i = 0; i < 3; ++i)
        layers += LayerLine("box/item" + std::to_string(i), 320 + 130 * i, 330, 41 + i);
    const std::string body =
        "<Field name=\"main\" mask=\"main/\">" + items +
        "<Item name=\"sea\"><State name=\"normal\"><SeaBack image=\"main/sea\" mouse_visible=\"0\"/></State></Item>"
        "<Item name=\"lamp\"><State name=\"normal\" image=\"main/lamp\">"
        "<Anim anim_mask=\"main/flame/\" loop=\"1\" anim_frame_time=\"0.08\"/>"
        "<Particles particles_name=\"Fountain\" x=\"30\" y=\"0\" align_layer=\"main/lamp\" "
        "insert_after=\"main/lamp\"/></State></Item>"
        "<Item name=\"sign\"><State name=\"normal\"><Text image=\"main/sign\" text_tag=\"sign\" align=\"center\"/>"
        "</State></Item></Field>"
        "<Field name=\"box\" mask=\"box/\"><Item name=\"a\"><State name=\"normal\" image=\"box/item0\"/></Item>"
        "<Item name=\"b\"><State name=\"normal\" image=\"box/item1\"/></Item>"
        "<Item name=\"c\"><State name=\"normal\" image=\"box/item2\"/></Item></Field></Scene>";
    for (const char* scene : {"Quay", "QuayRipple"}) {
        const bool ripple = std::string(scene) == "QuayRipple";
        WriteFile(std::string("data/scenes/") + scene + ".xml",
                  std::string("<Scene ambient_sounds=\"none\"") + (ripple ? " distortion=\"1\"" : "") + ">" + body);
        WriteFile(std::string("data/scenes/") + scene + "/layers.ini", "[layers]\r\n" + layers);
        const std::string dir = scene;
        WritePicture(dir + "/main/back", kW, kH, [](int x, int y) {
            return 0xFF000000u | uint32_t((x * 7 + y) & 255) << 16 | uint32_t((y * 3) & 255) << 8 | uint32_t(x & 63);
        });
        WritePicture(dir + "/main/sea", kW, 220, [](int x, int y) {
            const uint32_t a = y < 24 ? uint32_t(y * 10) : 255u;
            return a << 24 | 0x103060u | uint32_t((x + y) & 31) << 8;
        });
        for (int i = 0; i < 12; ++i)
            WritePicture(dir + "/main/thing" + std::to_string(i), 96, 96,
                         [i](int x, int y) { return Round(x, y, 96, 0x406080u * uint32_t(i + 1)); });
        for (int i = 1; i <= 4; ++i)
            WritePicture(dir + "/main/flame/" + std::to_string(i), 48 - 2 * i, 90 + 2 * i,
                         [](int x, int y) { return Round(x, y % 48, 44, 0xFF9020u); });
        WritePicture(dir + "/main/lamp", 60, 120, [](int x, int y) { return Round(x, y % 60, 60, 0x806040u); });
        WritePicture(dir + "/main/sign", 240, 60, [](int, int) { return 0xFF5A3C1Eu; });
        WritePicture(dir + "/box/back", 500, 400, [](int x, int y) { return 0xFF000000u | uint32_t(x ^ y) * 0x10101u; });
        for (int i = 0; i < 3; ++i)
            WritePicture(dir + "/box/item" + std::to_string(i), 110, 110,
                         [i](int x, int y) { return Round(x, y, 110, 0x20A040u << i); });
    }
    WriteFile("res/bench.ptc", "ptc 1\ntexture dot\n shape = dot\n size = 8\nend\nemitter Fountain\n loop = on\n"
                               " particles p\n  texture = dot\n  rate = 60\n  life = 1.5\n  speed = 40 80\n"
                               "  direction = 90\n  spread = 40\n  gravity = 0 60\n end\nend\n");
    WriteFile("res/game.ini", "[Game]\r\nGenerateHintIds=0\r\n[Clusters]\r\nQuay=Quay, QuayRipple\r\n");
    WriteFile("res/lang.ini", "[TextLayers]\r\nsign=The quay of the bench\r\n");
}

// The application with its display and the screen image the widgets draw
// into; one scene attached, its popup field open.
struct SceneFrame {
    QuibAppBase app;
    std::unique_ptr<DDImage> screen;
    SysFont font{"DejaVu Sans", 14, false, false, false};
    std::unique_ptr<QstScene> scene;

    explicit SceneFrame(const char* name)
    {
        app.display = std::make_unique<DDInterface>(&app);
        app.display->SetPixelFormat(32, 0x00FF0000, 0x0000FF00, 0x000000FF);
        app.appWidth = kW;
        app.appHeight = kH;
        screen = std::make_unique<DDImage>(app.display.get());
        screen->Resize(kW, kH);
        screen->ForceTransparencyFlags(false, false);
        app.widgetManager->screenImage = screen.get();
        FONT_TEXT = &font;
        // The emitters' textures belong to this display: loaded after it,
        // unloaded before it.
        LoadParticleFiles();
        scene = std::make_unique<QstScene>(name);
        scene->LoadLevel();
        scene->SetBounds(0, 0, kW, kH);
        app.widgetManager->AttachChild(scene.get());
        QstScene::LoadLayers(scene.get());
        scene->AddPopupField("box", true);
        for (int i = 0; i < 60; ++i)
            Step(); // the popup opened and faded in, the particles in the air
    }
    ~SceneFrame()
    {
        app.widgetManager->DetachChild(scene.get());
        scene.reset();
        UnloadParticleFiles();
        FONT_TEXT = nullptr;
    }
    void Step()
    {
        scene->UpdateScene(0.01f);
        app.widgetManager->DrawScreen();
    }
};

void SceneFrameBench(benchmark::State& state, const char* name)
{
    SceneFrame frame(name);
    for (auto _ : state) {
        frame.Step();
        benchmark::ClobberMemory();
    }
}

void BM_QuestSceneFrame(benchmark::State& state)
{
    SceneFrameBench(state, "Quay");
}

void BM_QuestSceneFrameDistorted(benchmark::State& state)
{
    SceneFrameBench(state, "QuayRipple");
}

// Five full-frame copies of the back buffer.
void BM_FiveFrameCopies(benchmark::State& state)
{
    RunFiveFrameCopies(state, kW, kH);
}

BENCHMARK(BM_QuestSceneFrame)->Unit(benchmark::kMillisecond)->MinWarmUpTime(0.3)->Repetitions(3);
BENCHMARK(BM_QuestSceneFrameDistorted)->Unit(benchmark::kMillisecond)->MinWarmUpTime(0.3)->Repetitions(3);
BENCHMARK(BM_FiveFrameCopies)->Unit(benchmark::kMillisecond)->MinWarmUpTime(0.3)->Repetitions(3);

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    char pattern[] = "/tmp/quest_scene_frame.XXXXXX";
    if (!mkdtemp(pattern))
        return 1;
    gFolder = pattern;
    WriteScenes();
    SetWorkingDirectory(gFolder);
    ClearDirectoryCache();
    SetUserDataFolder(Utf8ToUtf16(gFolder + "/user"));
    LoadGameSettings();
    RecordingReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.PrintRatio("quest_scene_frame", "BM_QuestSceneFrame", "BM_FiveFrameCopies");
    reporter.PrintRatio("quest_scene_frame_distorted", "BM_QuestSceneFrameDistorted", "BM_FiveFrameCopies");
    SingletoneBase::DestroyAll();
    std::filesystem::remove_all(gFolder);
    benchmark::Shutdown();
    return 0;
}
