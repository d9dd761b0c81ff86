// Draws a few frames of each emitter of a .ptc file into a PNG per
// emitter, to look at the effects:
//   particle_preview [--zoom N] [--times T1,T2,...] FILE.ptc OUT-DIR [NAME[@X,Y] ...]
// Without names, every emitter of the file, placed at the middle of a
// 320 x 240 frame. Frames are taken 0.5, 1.5, 3 and 6 seconds after the
// start (or at the given times), stepping 0.01 s as the game does; --zoom
// enlarges the picture N times.
#include "framework/files/ProcessLog.h"
#include "framework/files/Random.h"
#include "framework/graphics/Graphics.h"
#include "framework/graphics/ImageLib.h"
#include "framework/graphics/MemoryImage.h"
#include "platform/FileNames.h"
#include "src/particles/EmitterFile.h"
#include "src/particles/ParticlesCommon.h"

#include <cstdio>
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

using namespace Quib;

namespace {

constexpr int kW = 320, kH = 240;

void Names(PtcFile file, std::vector<std::string>& out)
{
    PtcFindData find;
    for (const char* n = PtcFindFirst(file, &find, PTC_FOLDER | PTC_EMITTER); n; n = PtcFindNext(file, &find)) {
        if (find.type == PTC_EMITTER) {
            out.emplace_back(n);
        } else if (PtcSetCurrentFolder(file, n) == PTC_SUCCESS) {
            Names(file, out);
            PtcSetCurrentFolder(file, "..");
        }
    }
}

// A dusky scene: sky above, darker ground below.
uint32_t Background(int x, int y)
{
    const float t = float(y) / kH;
    int r = int(58 - 34 * t), g = int(70 - 40 * t), b = int(96 - 58 * t);
    if (y > kH * 3 / 4)
        r -= 8, g -= 4, b -= 14;
    if ((x / 40 + y / 40) % 2 == 0)
        r += 3, g += 3, b += 3;
    return 0xFF000000u | uint32_t(r) << 16 | uint32_t(g) << 8 | uint32_t(b);
}

} // namespace

int main(int argc, char** argv)
{
    int zoom = 1;
    std::vector<float> kTimes = {0.5f, 1.5f, 3.0f, 6.0f};
    while (argc > 2 && std::strncmp(argv[1], "--", 2) == 0) {
        if (std::strcmp(argv[1], "--zoom") == 0) {
            zoom = std::max(1, std::atoi(argv[2]));
        } else if (std::strcmp(argv[1], "--times") == 0) {
            kTimes.clear();
            std::stringstream list(argv[2]);
            for (std::string t; std::getline(list, t, ',');)
                kTimes.push_back(std::strtof(t.c_str(), nullptr));
        }
        argc -= 2;
        argv += 2;
    }
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s FILE.ptc OUT-DIR [NAME[@X,Y] ...]\n", argv[0]);
        return 2;
    }
    namespace fs = std::filesystem;
    const fs::path work = fs::temp_directory_path() / "quib-particle-preview";
    fs::create_directories(work / "res");
    fs::copy_file(argv[1], work / "res" / "preview.ptc", fs::copy_options::overwrite_existing);
    fs::create_directories(argv[2]);
    SetWorkingDirectory(work.string());
    // Its entries (a file refused, a picture missing) also reach stderr.
    ProcessLog::GetInstance()->Open((work / "log.html").string());
    LoadParticleFiles();
    if (EmitterFiles().empty()) {
        std::fprintf(stderr, "%s was not read (see the messages above)\n", argv[1]);
        return 1;
    }
    std::vector<std::string> names;
    for (int i = 3; i < argc; ++i)
        names.emplace_back(argv[i]);
    if (names.empty())
        Names(EmitterFiles().front()->Handle(), names);

    for (const std::string& spec : names) {
        std::string name = spec;
        float x = kW / 2.0f, y = kH / 2.0f;
        if (const size_t at = spec.find('@'); at != std::string::npos) {
            name = spec.substr(0, at);
            std::sscanf(spec.c_str() + at + 1, "%f,%f", &x, &y);
        }
        Quib::srand(1);
        std::unique_ptr<ParticlesCommon> effect = CreateParticlesByName(name);
        effect->StartAt(TPoint<float>(x, y));
        std::vector<uint32_t> sheet(size_t(kW) * std::size(kTimes) * kH);
        float clock = 0;
        for (size_t f = 0; f < std::size(kTimes); ++f) {
            while (clock < kTimes[f] - 0.001f) {
                effect->Update(0.01f);
                clock += 0.01f;
            }
            std::vector<uint32_t> pixels(size_t(kW) * kH);
            for (int j = 0; j < kH; ++j)
                for (int i = 0; i < kW; ++i)
                    pixels[size_t(j) * kW + i] = Background(i, j);
            MemoryImage frame(nullptr);
            frame.AssignPixels(pixels.data(), kW, kH, true);
            Graphics g(&frame);
            effect->Draw(&g);
            const uint32_t* out = frame.Pixels();
            for (int j = 0; j < kH; ++j)
                std::memcpy(&sheet[size_t(j) * kW * std::size(kTimes) + f * kW], out + size_t(j) * kW, kW * 4);
        }
        ImageLib::Image png;
        png.width = int32_t(kW * std::size(kTimes)) * zoom;
        png.height = kH * zoom;
        png.pixels = new uint32_t[size_t(png.width) * size_t(png.height)];
        for (int j = 0; j < png.height; ++j)
            for (int i = 0; i < png.width; ++i)
                png.pixels[size_t(j) * size_t(png.width) + size_t(i)] =
                    sheet[size_t(j / zoom) * kW * std::size(kTimes) + size_t(i / zoom)];
        const std::string path = (fs::path(argv[2]) / (name + ".png")).string();
        if (!ImageLib::WritePng(path, &png))
            std::fprintf(stderr, "cannot write %s\n", path.c_str());
        else
            std::printf("%s\n", path.c_str());
    }
    UnloadParticleFiles();
    return 0;
}
