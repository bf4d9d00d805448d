#include "wizard_road_fixture.h"

#include <filesystem>
#include <fstream>
#include <sstream>

#include "package/package_format.h"
#include "patch/patch_data.h"

namespace fs = std::filesystem;

namespace road {

const char* const WelcomeTitle = "Welcome";
const char* const LicenceTitle = "Software Licence Agreement";
const char* const GuideTitle = "User Guide";
const char* const DestinationTitle = "Choose Destination Location";
const char* const ResultsTitle = "Information";
const char* const FinishTitle = "Update Complete";

bool ReadBytes(const std::string& path, std::string* bytes) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    std::ostringstream out;
    out << in.rdbuf();
    *bytes = out.str();
    return true;
}

void WriteBytes(const std::string& path, const std::string& bytes) {
    fs::create_directories(fs::path(path).parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

bool Exists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string Join(const std::string& folder, const std::string& name) {
    return folder + "\\" + name;
}

Files ReadTree(const std::string& folder) {
    Files files;
    if (!fs::exists(folder))
        return files;
    for (const auto& item : fs::recursive_directory_iterator(folder)) {
        if (!item.is_regular_file())
            continue;
        std::string relative = fs::relative(item.path(), folder).string();
        std::string bytes;
        ReadBytes(item.path().string(), &bytes);
        files[relative] = bytes;
    }
    return files;
}

void WriteTree(const std::string& folder, const Files& files) {
    fs::create_directories(folder);
    for (const auto& [relative, bytes] : files)
        WriteBytes(Join(folder, relative), bytes);
}

// A 24-bit bitmap of one colour: the side panel and the splash need a picture.
static std::string Bitmap(int width, int height, unsigned char blue) {
    int rowBytes = (width * 3 + 3) & ~3;
    BITMAPFILEHEADER file = {};
    BITMAPINFOHEADER info = {};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof file + sizeof info;
    file.bfSize = file.bfOffBits + rowBytes * height;
    info.biSize = sizeof info;
    info.biWidth = width;
    info.biHeight = height;
    info.biPlanes = 1;
    info.biBitCount = 24;
    std::string bytes(reinterpret_cast<const char*>(&file), sizeof file);
    bytes.append(reinterpret_cast<const char*>(&info), sizeof info);
    std::string row(rowBytes, '\0');
    for (int x = 0; x < width; ++x) {
        row[x * 3] = static_cast<char>(blue);
        row[x * 3 + 1] = static_cast<char>(blue / 2);
    }
    for (int y = 0; y < height; ++y)
        bytes += row;
    return bytes;
}

static std::string SettingsText(const Settings& s) {
    std::string text;
    auto key = [&text](const char* name, const std::string& value) {
        if (!value.empty())
            text += std::string(name) + "=" + value + "\r\n";
    };
    text += "[App]\r\n";
    key("AppName", s.appName);
    key("MainFile", s.mainFile);
    key("Silence", s.silence);
    key("ShowBGW", "1");
    key("ShowSplash", s.showSplash);
    text += "[Author]\r\nCopyRight=Copyright (C) 2026 Road Test\r\n[Path]\r\n";
    key("SoftWarePath", s.softwarePath);
    key("BackupDirectory", s.backupDirectory);
    text += "[ShellExec]\r\n";
    key("Command", s.command);
    key("Parameter", s.parameter);
    key("ShowWindow", s.showWindow);
    return text;
}

// Runs a tool to its end; its exit code, or -1 when it did not start or end.
static int RunTool(const std::string& exe, const std::string& arguments) {
    wd::Process tool;
    if (!wd::Start(exe, arguments, &tool))
        return -1;
    DWORD code = 0;
    if (!wd::WaitForExit(tool, 120000, &code)) {
        wd::Kill(tool);
        return -1;
    }
    return static_cast<int>(code);
}

static std::string Quoted(const std::string& text) {
    return "\"" + text + "\"";
}

void RoadTest::SetUp() {
    static int counter;
    char base[MAX_PATH];
    GetTempPathA(MAX_PATH, base);
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string(info->name());
    for (char& c : name)
        if (!isalnum(static_cast<unsigned char>(c)))
            c = '_';
    root = std::string(base) + "road-" + std::to_string(GetCurrentProcessId()) + "-" +
           std::to_string(++counter) + "-" + name;
    fs::remove_all(root);
    destination = Join(root, "Installed App");
    temp = Join(root, "temp");
    fs::create_directories(destination);
    fs::create_directories(temp);
}

void RoadTest::TearDown() {
    if (process.handle && wd::IsRunning(process))
        wd::Kill(process);
    process.Close();
    std::error_code ignored;
    fs::remove_all(root, ignored);
}

void RoadTest::MakePackage(const PackagePlan& plan) {
    std::string oldFolder = Join(root, "old");
    std::string newFolder = Join(root, "new");
    std::string files = Join(root, "package");
    WriteTree(oldFolder, plan.oldVersion);
    WriteTree(newFolder, plan.newVersion);
    Files packageFiles = {
        {"Update.ini", SettingsText(plan.settings)},
        {"License.txt", "Road licence: use it well.\r\n"},
        {"Guide.txt", "Road guide: press Next.\r\n"},
        {"Readme.txt", "Road read-me.\r\n"},
        {"Package.bmp", Bitmap(120, 260, 0xC0)},
        {"Splash.bmp", Bitmap(200, 120, 0x80)},
    };
    if (!plan.languageIni.empty())
        packageFiles["Language.ini"] = plan.languageIni;
    WriteTree(files, packageFiles);

    patchData = Join(root, "Patch.dat");
    ASSERT_EQ(0, RunTool(BUILDER_EXE, "diff --old " + Quoted(oldFolder) + " --new " +
                                          Quoted(newFolder) + " --main " +
                                          Quoted(plan.settings.mainFile) + " --out " +
                                          Quoted(patchData)));
    if (!plan.corruptEntry.empty()) {
        std::string data;
        ASSERT_TRUE(ReadBytes(patchData, &data));
        PatchCursor cursor = {reinterpret_cast<const uint8_t*>(data.data()),
                              reinterpret_cast<const uint8_t*>(data.data()) + data.size()};
        unsigned count = 0;
        ASSERT_EQ(PatchOk, ReadPatchCount(&cursor, &count));
        size_t corruptAt = 0;
        for (unsigned i = 0; i < count && !corruptAt; ++i) {
            PatchEntryHeader header;
            ASSERT_EQ(PatchOk, ReadEntryHeader(&cursor, &header));
            std::string path(header.relativePath, header.pathLength);
            if (path == "\\" + plan.corruptEntry) {
                ASSERT_NE(BodyAttached, PeekBodyKind(&cursor))
                    << "only an op body can be made invalid";
                corruptAt = cursor.pos - reinterpret_cast<const uint8_t*>(data.data());
            }
            ASSERT_EQ(PatchOk, SkipEntryBody(&cursor));
        }
        ASSERT_NE(0u, corruptAt) << plan.corruptEntry << " is not in the patch data";
        data[corruptAt] = 9; // no such op
        WriteBytes(patchData, data);
    }

    packageExe = Join(root, "RoadUpdate.exe");
    ASSERT_EQ(0, RunTool(BUILDER_EXE, "pack --applier " + Quoted(APPLIER_EXE) + " --files " +
                                          Quoted(files) + " --patch " + Quoted(patchData) +
                                          " --out " + Quoted(packageExe)));
    if (plan.damageStream2) {
        std::string exe;
        ASSERT_TRUE(ReadBytes(packageExe, &exe));
        PackageRecord record;
        ASSERT_EQ(RecordFound, LocatePackageRecord(reinterpret_cast<const uint8_t*>(exe.data()),
                                                   exe.size(), PackageOffset, 2, &record));
        size_t at =
            (record.stream - reinterpret_cast<const uint8_t*>(exe.data())) + record.streamSize / 2;
        exe[at] = static_cast<char>(exe[at] ^ 0x5A);
        WriteBytes(packageExe, exe);
    }
}

std::vector<std::string> RoadTest::EntryPaths() const {
    std::vector<std::string> paths;
    std::string data;
    if (!ReadBytes(patchData, &data))
        return paths;
    PatchCursor cursor = {reinterpret_cast<const uint8_t*>(data.data()),
                          reinterpret_cast<const uint8_t*>(data.data()) + data.size()};
    unsigned count = 0;
    if (ReadPatchCount(&cursor, &count) != PatchOk)
        return paths;
    for (unsigned i = 0; i < count; ++i) {
        PatchEntryHeader header;
        if (ReadEntryHeader(&cursor, &header) != PatchOk)
            break;
        std::string path(header.relativePath, header.pathLength);
        paths.push_back(path[0] == '\\' ? path.substr(1) : path);
        SkipEntryBody(&cursor);
    }
    return paths;
}

std::string RoadTest::ExpectedLog(const std::map<std::string, std::string>& outcomes) const {
    std::string log;
    for (const std::string& path : EntryPaths()) {
        auto outcome = outcomes.find(path);
        if (outcome == outcomes.end())
            break; // the run stops before this entry
        log += path + " -> " + outcome->second + "\r\n";
    }
    return log;
}

void RoadTest::Start() {
    // GetTempPathA takes TMP first, then TEMP: both point at the test's own
    // folder, so the workspace can be looked for afterwards.
    char savedTmp[MAX_PATH] = "", savedTemp[MAX_PATH] = "";
    bool hadTmp = GetEnvironmentVariableA("TMP", savedTmp, MAX_PATH) > 0;
    bool hadTemp = GetEnvironmentVariableA("TEMP", savedTemp, MAX_PATH) > 0;
    SetEnvironmentVariableA("TMP", temp.c_str());
    SetEnvironmentVariableA("TEMP", temp.c_str());
    bool started = wd::Start(packageExe, "", &process, root);
    SetEnvironmentVariableA("TMP", hadTmp ? savedTmp : NULL);
    SetEnvironmentVariableA("TEMP", hadTemp ? savedTemp : NULL);
    ASSERT_TRUE(started) << packageExe;
}

HWND RoadTest::WaitForPage(const char* title, int timeoutMs) {
    HWND sheet = wd::WaitForTopWindow(process.id, "#32770", title, timeoutMs);
    EXPECT_TRUE(sheet != NULL) << "no wizard page titled \"" << title << "\"";
    return sheet;
}

HWND RoadTest::GoToDestination() {
    HWND sheet = WaitForPage(WelcomeTitle);
    if (!sheet)
        return NULL;
    wd::PressSheetButton(sheet, wd::SheetNext);
    if (!WaitForPage(LicenceTitle))
        return NULL;
    wd::SetCheck(sheet, 502, true);
    EXPECT_TRUE(
        wd::WaitUntil([&] { return wd::IsSheetButtonEnabled(sheet, wd::SheetNext); }, ShortWait));
    wd::PressSheetButton(sheet, wd::SheetNext);
    if (!WaitForPage(GuideTitle))
        return NULL;
    wd::PressSheetButton(sheet, wd::SheetNext);
    return WaitForPage(DestinationTitle);
}

HWND RoadTest::ExpectMessage(const std::string& text, int timeoutMs) {
    HWND box = wd::WaitForMessageBox(process.id, timeoutMs);
    EXPECT_TRUE(box != NULL) << "no message box \"" << text << "\"";
    if (box) {
        EXPECT_EQ(text, wd::MessageBoxText(box));
    }
    return box;
}

void RoadTest::AnswerMessage(const std::string& text, int button, int timeoutMs) {
    HWND box = ExpectMessage(text, timeoutMs);
    if (box)
        wd::AnswerMessageBox(box, button);
    // The box is gone before the next one is looked for.
    wd::WaitUntil([&] { return !IsWindow(box); }, ShortWait);
}

void RoadTest::ExpectCleanEnd(int timeoutMs) {
    DWORD code = 1234;
    ASSERT_TRUE(wd::WaitForExit(process, timeoutMs, &code)) << "the applier did not end";
    EXPECT_EQ(0u, code);
    EXPECT_TRUE(fs::is_empty(temp)) << "the workspace is left in " << temp;
}

HWND RoadTest::ProgressWindow() const {
    for (HWND window : wd::TopWindows(process.id)) {
        if (IsWindowVisible(window) && wd::FindControl(window, 550, false))
            return window;
    }
    return NULL;
}

} // namespace road
