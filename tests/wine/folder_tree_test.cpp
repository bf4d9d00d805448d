// CopyTree and DeleteTree on real folders: read-only files, nesting, missing
// folders, a file held open, and a tree deeper than MAX_PATH.
#include "engine_fixture.h"

#include "patch/folder_tree.h"

using namespace engine_test;

namespace {

using Files = std::map<std::string, std::string>;

class FolderTree : public EngineFolders {
  protected:
    void Put(const std::string& folder, const Files& files) {
        CreateDirectoryA(folder.c_str(), nullptr);
        for (const auto& [name, content] : files) {
            std::string path = folder + "\\" + name;
            if (path.back() == '\\') {
                CreateDirectoryA(path.c_str(), nullptr);
            } else {
                ASSERT_TRUE(WriteBytes(path, B(content))) << path;
            }
        }
    }
};

const Files Nested = {{"a.txt", "a"},      {"ro.txt", "read-only"}, {"sub\\", ""},
                      {"sub\\b.txt", "b"}, {"sub\\deeper\\", ""},   {"sub\\deeper\\c.txt", "c"},
                      {"sub\\empty\\", ""}};

TEST_F(FolderTree, DeleteTreeRemovesReadOnlyFilesAndNestedFolders) {
    std::string folder = root + "\\tree";
    Put(folder, Nested);
    SetFileAttributesA((folder + "\\ro.txt").c_str(), FILE_ATTRIBUTE_READONLY);
    SetFileAttributesA((folder + "\\sub\\b.txt").c_str(),
                       FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN);
    EXPECT_NE(DeleteTree(folder.c_str()), 0);
    EXPECT_FALSE(Exists(folder));
}

TEST_F(FolderTree, DeleteTreeOfWhatCannotBeDeleted) {
    EXPECT_EQ(DeleteTree((root + "\\missing").c_str()), 0);
    EXPECT_TRUE(Exists(dest));
    // An empty path would mean the root of the current drive: refused.
    SetCurrentDirectoryA(dest.c_str());
    ASSERT_TRUE(WriteBytes(D("keep.txt"), B("keep")));
    EXPECT_EQ(DeleteTree(""), 0);
    EXPECT_TRUE(Exists(D("keep.txt")));
}

TEST_F(FolderTree, DeleteTreeLeavesAFileHeldOpenAndTheFoldersAboveIt) {
    std::string folder = root + "\\tree";
    Put(folder, Nested);
    HANDLE held = CreateFileA((folder + "\\sub\\deeper\\c.txt").c_str(), GENERIC_READ, 0, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    EXPECT_EQ(DeleteTree(folder.c_str()), 0);
    CloseHandle(held);
    EXPECT_EQ(Tree(folder),
              (Files{{"sub\\", ""}, {"sub\\deeper\\", ""}, {"sub\\deeper\\c.txt", "c"}}));
}

TEST_F(FolderTree, CopyTreeCopiesEverythingAndReplacesSameNamedFiles) {
    std::string from = root + "\\from", to = root + "\\to";
    Put(from, Nested);
    SetFileAttributesA((from + "\\ro.txt").c_str(), FILE_ATTRIBUTE_READONLY);
    Put(to, {{"a.txt", "old a, longer"}, {"only-there.txt", "stays"}});
    CopyTree(from.c_str(), to.c_str());
    Files expected = Nested;
    expected["only-there.txt"] = "stays";
    expected.erase("sub\\empty\\"); // a folder with nothing in it is not made
    EXPECT_EQ(Tree(to), expected);
    EXPECT_NE(GetFileAttributesA((to + "\\ro.txt").c_str()) & FILE_ATTRIBUTE_READONLY, 0u);
    EXPECT_EQ(Tree(from), Nested);
}

TEST_F(FolderTree, CopyTreeThatHasNothingToCopyMakesNothing) {
    struct Case {
        const char* name;
        std::string source, target;
    } cases[] = {
        {"empty source", root + "\\empty", root + "\\target"},
        {"missing source", root + "\\missing", root + "\\target"},
        {"target parent missing", root + "\\full", root + "\\no\\target"},
        {"empty target path", root + "\\full", ""},
    };
    CreateDirectoryA((root + "\\empty").c_str(), nullptr);
    Put(root + "\\full", {{"f.txt", "f"}});
    Files before = Tree(root);
    SetCurrentDirectoryA(dest.c_str());
    for (const Case& k : cases) {
        CopyTree(k.source.c_str(), k.target.c_str());
        EXPECT_EQ(Tree(root), before) << k.name;
    }
}

// A chain of folders whose paths pass MAX_PATH, made with the long-path prefix
// that the wide functions take.
std::wstring Wide(const std::string& s) {
    return std::wstring(s.begin(), s.end());
}

TEST_F(FolderTree, ATreeDeeperThanMaxPathIsHandledAsFarAsItFits) {
    std::string folder = root + "\\deep";
    CreateDirectoryA(folder.c_str(), nullptr);
    std::string path = folder;
    const std::string level(40, 'L');
    while (path.size() < 400) {
        path += "\\" + level;
        ASSERT_TRUE(CreateDirectoryW((L"\\\\?\\" + Wide(path)).c_str(), nullptr)) << path.size();
        HANDLE f = CreateFileW((L"\\\\?\\" + Wide(path + "\\f.txt")).c_str(), GENERIC_WRITE, 0,
                               nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(f, INVALID_HANDLE_VALUE);
        CloseHandle(f);
    }
    std::string copy = root + "\\copy";
    CopyTree(folder.c_str(), copy.c_str());
    // Every file whose path fits was copied, and none whose path does not.
    for (const auto& [name, content] : Tree(copy)) {
        EXPECT_LT((folder + "\\" + name).size(), static_cast<size_t>(MAX_PATH)) << name;
        (void)content;
    }
    EXPECT_TRUE(Exists(copy + "\\" + level + "\\f.txt"));

    EXPECT_EQ(DeleteTree(folder.c_str()), 0) << "the part that does not fit stays";
    EXPECT_FALSE(Exists(folder + "\\" + level + "\\f.txt"));
    EXPECT_TRUE(Exists(folder + "\\" + level));
}

} // namespace
