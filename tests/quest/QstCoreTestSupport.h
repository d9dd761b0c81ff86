#pragma once
// Scenes in a scratch working directory: scene documents and layered
// pictures written by the test, game settings with two clusters, a current
// player profile, and the message boxes and log lines caught.
#include "platform/headless/CapturingSink.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace Quib {
class QstScene;
}

namespace Quib::Testing {

class QstCoreSceneTest : public ::testing::Test {
protected:
    QstCoreSceneTest();
    ~QstCoreSceneTest() override;

    // data\scenes\<name>.xml and, when given, data\scenes\<name>\layers.ini.
    void WriteScene(const std::string& name, const std::string& xml, const std::string& layers = "");
    // A scene made and loaded outside the registry.
    QstScene* LoadOwn(const std::string& name);
    // The scene of the registry (loaded on first use).
    static QstScene* Registry(const std::string& name);
    std::vector<std::string> BoxTexts() const;
    int LogCount(const std::string& text) const;
    void ClearCaught();

    TempDir dir;
    ScopedWorkingDirectory cwd;
    CapturingSink sink;
    std::vector<std::unique_ptr<QstScene>> own;
};

// The layers.ini line of a picture layer.
std::string QstCoreLayer(const std::string& name, int x, int y, int z);

} // namespace Quib::Testing
