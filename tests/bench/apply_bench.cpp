// How fast one patch entry of a large file applies, beside what a plain copy
// of the same file costs on the same machine in the same run, and how fast
// each path of the checksum runs. Prints figures; asserts no time.
//   apply_bench [MiB]   (default 256)
#include <windows.h>

#include "../unit/diff_data.h"
#include "app/state.h"
#include "matcher.h"
#include "patch/apply_entry.h"
#include "patch/crc32.h"
#include "patch/entry_result.h"
#include "patch/file_crc.h"
#include "patch_writer.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace {

using diff_data::Bytes;
using diff_data::EditedCopy;
using diff_data::RandomBytes;

double Now() {
    static LARGE_INTEGER frequency;
    if (!frequency.QuadPart)
        QueryPerformanceFrequency(&frequency);
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return double(t.QuadPart) / double(frequency.QuadPart);
}

double MiBps(size_t bytes, double seconds) {
    return double(bytes) / (1 << 20) / seconds;
}

bool WriteWhole(const std::string& path, const Bytes& bytes) {
    HANDLE f = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    const BOOL ok = WriteFile(f, bytes.data(), DWORD(bytes.size()), &written, nullptr);
    CloseHandle(f);
    return ok && written == bytes.size();
}

void CrcFigures(size_t size) {
    const Bytes data = RandomBytes(size, 3);
    struct Path {
        const char* name;
        uint32_t (*run)(uint32_t, const uint8_t*, size_t);
    };
    const Path paths[] = {{"byte loop", CrcUpdateByteLoop},
                          {"slicing-by-8", CrcUpdateSliced},
                          {"folding", CrcUpdateFolded}};
    std::printf("checksum of %zu MiB (folding %s on this processor):\n", size >> 20,
                CrcFoldingAvailable() ? "available" : "NOT available, sliced instead");
    uint32_t first = 0;
    for (const Path& p : paths) {
        double best = 1e9;
        uint32_t crc = 0;
        for (int round = 0; round < 3; round++) {
            const double t0 = Now();
            crc = ~p.run(0xFFFFFFFFu, data.data(), data.size());
            best = std::min(best, Now() - t0);
        }
        if (&p == paths)
            first = crc;
        std::printf("  %-13s %9.0f MiB/s  %08X%s\n", p.name, MiBps(size, best), crc,
                    crc == first ? "" : "  MISMATCH");
    }
}

} // namespace

int main(int argc, char** argv) {
    const size_t mib = argc > 1 ? size_t(std::atoi(argv[1])) : 256;
    if (mib == 0 || mib > 1024) {
        std::fprintf(stderr, "usage: apply_bench [MiB from 1 to 1024]\n");
        return 2;
    }
    const size_t size = mib << 20;
    BuildCrcTable();
    ProgramInstance = GetModuleHandleA(nullptr);
    LanguageFile[0] = 0;
    Silence = 1;

    CrcFigures(std::min<size_t>(size, 64u << 20));

    char temp[MAX_PATH], root[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    GetTempFileNameA(temp, "bch", 0, root);
    DeleteFileA(root);
    CreateDirectoryA(root, nullptr);
    const std::string dest = std::string(root) + "\\dest";
    const std::string staging = std::string(root) + "\\staging";
    const std::string pristine = std::string(root) + "\\pristine.bin";
    const std::string target = dest + "\\big.bin";
    const std::string copy = dest + "\\copy.bin";
    CreateDirectoryA(dest.c_str(), nullptr);
    lstrcpynA(RunDestination, dest.c_str(), MAX_PATH);
    RunStatusWindow = nullptr;

    // An edit every 64 KiB rewrites about 3% of the file, a realistic new
    // build; a single edit leaves two copy ops of half the file each.
    struct Scenario {
        const char* name;
        size_t edits;
    };
    const Scenario scenarios[] = {{"an edit every 64 KiB", std::max<size_t>(1, size / 65536)},
                                  {"one edit in the middle", 1}};
    int failures = 0;
    for (const Scenario& scenario : scenarios) {
        const size_t edits = scenario.edits;
        Bytes patchData;
        {
            const Bytes oldBytes = RandomBytes(size, 1);
            const Bytes newBytes = EditedCopy(oldBytes, edits, 2000, 7);
            const size_t newSize = newBytes.size();
            if (!WriteWhole(pristine, oldBytes)) {
                std::fprintf(stderr, "cannot write %s\n", pristine.c_str());
                return 1;
            }
            const double t0 = Now();
            const std::vector<MatchOp> matches =
                MatchFiles(oldBytes.data(), oldBytes.size(), newBytes.data(), newBytes.size());
            const double matchSeconds = Now() - t0;
            PatchEntry entry;
            entry.relativePath = "\\big.bin";
            entry.oldCrc = CrcOfBytes(oldBytes.data(), oldBytes.size());
            entry.newCrc = CrcOfBytes(newBytes.data(), newBytes.size());
            entry.creationTime = entry.lastWriteTime = 133000000000000000ull;
            size_t inserted = 0;
            for (const MatchOp& m : matches) {
                if (m.kind == MatchOp::Copy) {
                    entry.ops.push_back(PatchOp::CopyOf(m.length, m.offset));
                } else {
                    entry.ops.push_back(PatchOp::InsertOf(Bytes(
                        newBytes.begin() + m.offset, newBytes.begin() + m.offset + m.length)));
                    inserted += m.length;
                }
            }
            patchData = SerializePatchData({entry});
            std::printf(
                "\n%s: file of %zu MiB, %.1f%% of the new version literal, %zu ops, patch data "
                "%.1f MiB, matched in %.2f s\n",
                scenario.name, mib, 100.0 * double(inserted) / double(newSize), matches.size(),
                double(patchData.size()) / (1 << 20), matchSeconds);
        }

        std::printf("round  CopyFileA  FileCrcOfPath  apply entry  ratio to the copy\n");
        for (int round = 1; round <= 3; round++) {
            CopyFileA(pristine.c_str(), target.c_str(), FALSE);
            CreateDirectoryA(staging.c_str(), nullptr);

            double t0 = Now();
            const BOOL copied = CopyFileA(target.c_str(), copy.c_str(), FALSE);
            const double copySeconds = Now() - t0;
            DeleteFileA(copy.c_str());

            t0 = Now();
            FileCrcOfPath(target.c_str());
            const double crcSeconds = Now() - t0;

            PatchCursor cursor = {patchData.data() + 4, patchData.data() + patchData.size()};
            t0 = Now();
            const int result = ApplyPatchEntry(&cursor, staging.c_str(), nullptr);
            const double applySeconds = Now() - t0;

            std::printf("%5d  %7.2f s  %11.2f s  %9.2f s  %5.2f%s\n", round, copySeconds,
                        crcSeconds, applySeconds, applySeconds / copySeconds,
                        copied && result == FileUpdated ? "" : "  (the entry or the copy FAILED)");
            if (!copied || result != FileUpdated)
                failures++;
            DeleteFileA((staging + "\\big.bin").c_str());
            RemoveDirectoryA(staging.c_str());
        }
    }
    std::printf("\n(apply entry: old checksum, rebuild, new checksum, staging copy, replace; "
                "goal: within 3 times the copy)\n");

    DeleteFileA(target.c_str());
    DeleteFileA(pristine.c_str());
    RemoveDirectoryA(dest.c_str());
    RemoveDirectoryA(root);
    return failures ? 1 : 0;
}
