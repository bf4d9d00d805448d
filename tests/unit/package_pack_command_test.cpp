// The pack command as the publisher runs it: the real tarvelion-builder
// exe, its exit codes and messages, and a package that unpacks back to the
// files it was given.
#include <gtest/gtest.h>
#include "package_faults.h"
#include "package_writer.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <sys/wait.h>

using namespace package_faults;
namespace fs = std::filesystem;

namespace {

struct PackCommand : ::testing::Test {
    fs::path root;
    std::string output; // what the command printed, both streams

    void SetUp() override {
        std::random_device random;
        root = fs::temp_directory_path() / ("tarvelion-pack-" + std::to_string(random()));
        fs::create_directories(root / "files");
    }
    void TearDown() override {
        std::error_code ignored;
        fs::remove_all(root, ignored);
    }
    static std::string Quote(const std::string& arg) {
        std::string quoted = "'";
        for (char c : arg)
            quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
        return quoted + "'";
    }
    int Run(const std::vector<std::string>& args) {
        std::string command = Quote(TARVELION_BUILDER_EXE) + " pack";
        for (const std::string& arg : args)
            command += " " + Quote(arg);
        fs::path log = root / "output.txt";
        int status = std::system((command + " >" + Quote(log.string()) + " 2>&1").c_str());
        std::ifstream in(log);
        std::stringstream text;
        text << in.rdbuf();
        output = text.str();
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    std::vector<std::string> GoodArgs() {
        return {
            "--applier", (root / "applier.exe").string(), "--files", (root / "files").string(),
            "--patch",   (root / "Patch.dat").string(),   "--out",   (root / "out.exe").string()};
    }
};

TEST_F(PackCommand, PackageUnpacksToTheFilesOfTheFolder) {
    PackageContents contents = SampleContents();
    contents.files.push_back({"Language.ini", PackageBytes{'[', '0', '4', '0', '7', ']'}});
    for (const AttachmentFile& file : contents.files)
        WriteFileBytes((root / "files" / file.name).string(), file.content);
    WriteFileBytes((root / "Patch.dat").string(), contents.patchData);
    WriteFileBytes((root / "applier.exe").string(), StandInApplier());

    ASSERT_EQ(Run(GoodArgs()), 0) << output;
    PackageBytes package = ReadFileBytes((root / "out.exe").string());
    std::vector<AttachmentFile> one = UnpackStream(package, 1);
    ASSERT_EQ(one.size(), contents.files.size());
    for (const AttachmentFile& expected : contents.files) {
        auto found = std::find_if(one.begin(), one.end(),
                                  [&](const AttachmentFile& f) { return f.name == expected.name; });
        ASSERT_NE(found, one.end()) << expected.name;
        EXPECT_EQ(found->content, expected.content) << expected.name;
    }
    std::vector<AttachmentFile> two = UnpackStream(package, 2);
    ASSERT_EQ(two.size(), 1u);
    EXPECT_EQ(two[0].name, "Patch.dat");
    EXPECT_EQ(two[0].content, contents.patchData);
}

TEST_F(PackCommand, RefusesBadInputWithAReason) {
    WriteFileBytes((root / "files" / "Update.ini").string(), {'x'});
    WriteFileBytes((root / "Patch.dat").string(), {1, 2, 3});
    WriteFileBytes((root / "applier.exe").string(), StandInApplier());
    std::vector<std::string> good = GoodArgs();
    auto with = [&](size_t index, const std::string& value) {
        std::vector<std::string> args = good;
        args[index] = value;
        return args;
    };
    WriteFileBytes((root / "short.exe").string(), {'M', 'Z'});

    struct Case {
        const char* what;
        std::vector<std::string> args;
        int exitCode;
        const char* message; // a part of what the command must print
    } cases[] = {
        {"no arguments", {}, 2, "--applier is missing"},
        {"unknown option", {"--frob"}, 2, "unknown argument '--frob'"},
        {"option without value", {"--out"}, 2, "--out needs a value"},
        {"option given twice",
         [&] {
             auto a = good;
             a.push_back("--out=x");
             return a;
         }(),
         2, "--out given twice"},
        {"missing applier", with(1, (root / "none.exe").string()), 1, "cannot open"},
        {"applier of the wrong size", with(1, (root / "short.exe").string()), 1, "must be exactly"},
        {"missing folder", with(3, (root / "none").string()), 1, "is not a folder"},
        {"missing patch data", with(5, (root / "none.dat").string()), 1, "cannot open"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Run(c.args), c.exitCode) << c.what << ": " << output;
        EXPECT_NE(output.find(c.message), std::string::npos) << c.what << ": " << output;
        EXPECT_FALSE(fs::exists(root / "out.exe")) << c.what;
    }

    // A file the applier could not create is refused, not silently dropped.
    WriteFileBytes((root / "files" / "aux.txt").string(), {'x'});
    EXPECT_EQ(Run(good), 1) << output;
    EXPECT_NE(output.find("aux.txt"), std::string::npos) << output;
    EXPECT_FALSE(fs::exists(root / "out.exe"));
}

TEST_F(PackCommand, HelpPrintsTheUsage) {
    EXPECT_EQ(Run({"--help"}), 0);
    EXPECT_NE(output.find("--applier"), std::string::npos) << output;
    EXPECT_NE(output.find("--patch"), std::string::npos) << output;
}

} // namespace
