// The outcome of one patch entry. Bit 15 marks every outcome other than the
// two clean successes, so an OR of results above 0x8000 means "not all clean".
#pragma once

enum EntryResult {
    AttachedAdded = 0x0001,
    FileUpdated = 0x0002,
    AttachedOverwritten = 0x8001,
    AttachedSkipped = 0x8002,
    AttachedCrcError = 0x8004,
    OriginalMissing = 0x8008,
    OriginalCrcError = 0x8010,
    AlreadyUpdated = 0x8020,
    UpdatedCrcError = 0x8040,
    DataError = 0x8080,
    AccessDenied = 0x8100,
    ReplaceFailed = 0x8101,
};

// The OR of every result of the run; 0 at process start, never reset.
extern unsigned int ResultSummary;
