#include "support/ProgramCopy.h"

#include <QProcess>
#include <gtest/gtest.h>

#include <cstdlib>

namespace {
constexpr const char* kInCopyVariable = "TARSEL_TEST_IN_PROGRAM_COPY";
constexpr int kRunTimeoutMs = 60000;
} // namespace

bool RunsInCopyOfTestProgram(const TTempFolder& folder) {
    if (std::getenv(kInCopyVariable) != nullptr)
        return true;
    const std::filesystem::path original = std::filesystem::read_symlink("/proc/self/exe");
    const std::filesystem::path copy = folder.Path() / original.filename();
    std::filesystem::copy_file(original, copy);
    const testing::TestInfo* test = testing::UnitTest::GetInstance()->current_test_info();
    QProcess run;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(kInCopyVariable, "1");
    run.setProcessEnvironment(environment);
    run.setProcessChannelMode(QProcess::MergedChannels);
    run.start(QString::fromStdString(copy.string()),
              {QString("--gtest_filter=%1.%2").arg(test->test_suite_name(), test->name())});
    const bool finished = run.waitForFinished(kRunTimeoutMs);
    EXPECT_TRUE(finished && run.exitStatus() == QProcess::NormalExit && run.exitCode() == 0)
        << run.readAll().toStdString();
    return false;
}
