// The real program with a device, a FIFO or a socket in the place of its settings file and
// of its language file (the usual way of keeping no settings is a link to the null device):
// it starts on its defaults, ends on SIGTERM, and leaves the special file as it was. The
// device nodes are the test's own, made in its sandbox (only the super-user can make them).
// And the program started with its standard error closed, as some launchers start it.

#include "support/ProgramSandbox.h"
#include "support/SpecialFiles.h"

#include <QDir>
#include <QFile>
#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString Program = TARSEL_BINARY_DIR "/app/TarselRuler";

struct TSpecialFile {
    const char* Name;
    bool ThroughLink; // the settings name is a symbolic link to the node
    std::function<bool(const std::string&)> Make;
};

const TSpecialFile kSpecialFiles[] = {
    {"link to a null device", true, [](const std::string& p) { return MakeMemoryDevice(p, 3); }},
    {"link to a zero device", true, [](const std::string& p) { return MakeMemoryDevice(p, 5); }},
    {"FIFO", false, MakeFifo},
    {"socket", false, MakeSocketFile},
};

struct stat StatOf(const QString& path) {
    struct stat info {};
    ::lstat(QFile::encodeName(path).constData(), &info);
    return info;
}

// Puts the special file at name, or a link there to it beside; false when this user cannot
// make it. The node is returned in node.
bool PlaceSpecialFile(const TSpecialFile& special, const QString& name, QString& node) {
    node = special.ThroughLink ? name + ".node" : name;
    QFile::remove(name);
    if (!special.Make(QFile::encodeName(node).toStdString()))
        return false;
    return !special.ThroughLink || QFile::link(QFileInfo(node).fileName(), name);
}

TEST(SpecialSettingsFile, TheProgramStartsOnItsDefaultsEndsOnSigtermAndLeavesTheFileAlone) {
    std::string notMade;
    for (const TSpecialFile& special : kSpecialFiles) {
        SCOPED_TRACE(special.Name);
        TProgramSandbox sandbox{Program};
        sandbox.UseLanguageFolder("test");
        QString settingsNode, languageNode;
        if (!PlaceSpecialFile(special, sandbox.SettingsPath(), settingsNode) ||
            !PlaceSpecialFile(special, sandbox.LanguageFilePath("test"), languageNode)) {
            notMade += std::string(special.Name) + "; ";
            continue;
        }
        const struct stat settingsBefore = StatOf(settingsNode);
        const struct stat languageBefore = StatOf(languageNode);

        sandbox.Start();
        EXPECT_NE(sandbox.WaitForWindow(), 0u) << "no window; " << sandbox.Output().toStdString();
        sandbox.Terminate();
        ASSERT_TRUE(sandbox.WaitForExit()) << "SIGTERM did not end the program";

        for (const auto& [node, before] :
             {std::pair{settingsNode, settingsBefore}, std::pair{languageNode, languageBefore}}) {
            SCOPED_TRACE(node.toStdString());
            const struct stat after = StatOf(node);
            EXPECT_EQ(after.st_ino, before.st_ino) << "replaced";
            EXPECT_EQ(after.st_mode, before.st_mode);
            EXPECT_EQ(after.st_rdev, before.st_rdev);
            EXPECT_EQ(after.st_size, before.st_size);
        }
        if (special.ThroughLink)
            EXPECT_TRUE(QFileInfo(sandbox.SettingsPath()).isSymLink());
        EXPECT_FALSE(QFile::exists(sandbox.SettingsPath() + ".bad"));
        const QStringList leftovers =
            QDir(sandbox.BinDir()).entryList({"*.tmp"}, QDir::Files | QDir::System);
        EXPECT_TRUE(leftovers.isEmpty()) << leftovers.join(' ').toStdString();
        EXPECT_FALSE(sandbox.Output().contains("not saved")) << sandbox.Output().toStdString();
    }
    if (!notMade.empty())
        GTEST_SKIP() << "only the super-user can make these: " << notMade;
}

// Without XDG_RUNTIME_DIR Qt warns on the standard error at start; with that closed, the
// warning must not go into whatever the program opened next.
TEST(ClosedStandardError, TheProgramShowsItsWindowAndEndsOnSigterm) {
    TProgramSandbox sandbox{Program};
    sandbox.Start({}, {"env", "-u", "XDG_RUNTIME_DIR", "sh", "-c", "exec \"$0\" 2>&-"});
    EXPECT_NE(sandbox.WaitForWindow(), 0u) << "no window";
    sandbox.Terminate();
    ASSERT_TRUE(sandbox.WaitForExit()) << "SIGTERM did not end the program";
    EXPECT_FALSE(sandbox.ReadSettings().isEmpty()) << "the settings were not saved";
}

} // namespace
