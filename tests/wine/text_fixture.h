// Test fixture for code that looks texts up: the exe's own string table (the
// test links applier.rc) as the program instance, and a language table
// written by the test for the user's language section.
#pragma once
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "app/state.h"
#include "text/text.h"

class TextFixture : public ::testing::Test {
  protected:
    void SetUp() override {
        ProgramInstance = GetModuleHandleA(nullptr);
        ChooseLanguageSection();
        char folder[MAX_PATH];
        GetTempPathA(sizeof folder, folder);
        GetTempFileNameA(folder, "lng", 0, LanguageFile);
        DeleteFileA(LanguageFile);
    }
    void TearDown() override { DeleteFileA(LanguageFile); }

    // Writes the language table: lines is the whole file, and "@" in it
    // stands for the user's section name.
    void WriteLanguageTable(const std::string& lines) {
        std::string text;
        for (char c : lines) {
            if (c == '@')
                text += LanguageSection;
            else
                text += c;
        }
        FILE* file = std::fopen(LanguageFile, "wb");
        ASSERT_NE(file, nullptr);
        std::fwrite(text.data(), 1, text.size(), file);
        std::fclose(file);
    }
    // For a helper thread that could not find the modal window it was to
    // answer: a WM_QUIT ends the modal loop of thread, so that the test
    // fails instead of waiting for ever.
    static void EndModalLoop(DWORD thread) { PostThreadMessageA(thread, WM_QUIT, 0, 0); }
    // A section of a language other than the user's.
    static std::string OtherSection() {
        return std::string(LanguageSection) == "$0407" ? "$0409" : "$0407";
    }
};
