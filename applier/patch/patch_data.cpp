#include "patch/patch_data.h"

#include <string.h>

namespace {

size_t Left(const PatchCursor* c) {
    return static_cast<size_t>(c->end - c->pos);
}

uint32_t GetU32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
           static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}

uint64_t GetU64(const uint8_t* p) {
    return static_cast<uint64_t>(GetU32(p)) | static_cast<uint64_t>(GetU32(p + 4)) << 32;
}

// Reads a u32 and moves past it; 0 when fewer than 4 bytes are left.
int TakeU32(PatchCursor* c, uint32_t* value) {
    if (Left(c) < 4)
        return 0;
    *value = GetU32(c->pos);
    c->pos += 4;
    return 1;
}

int IsSeparator(char ch) {
    return ch == '\\' || ch == '/';
}

} // namespace

int ReadPatchCount(PatchCursor* cursor, unsigned* count) {
    uint32_t stored;
    if (!TakeU32(cursor, &stored))
        return PatchDataError;
    *count = stored & 0xFFFFu;
    return PatchOk;
}

int ReadEntryHeader(PatchCursor* cursor, PatchEntryHeader* header) {
    if (Left(cursor) < PatchEntryHeaderSize)
        return PatchDataError;
    const uint8_t* p = cursor->pos;
    header->oldCrc = GetU32(p);
    header->newCrc = GetU32(p + 4);
    header->creationTime = GetU64(p + 8);
    header->lastWriteTime = GetU64(p + 16);
    const uint8_t* path = p + PatchEntryHeaderSize;
    const void* zero = memchr(path, 0, static_cast<size_t>(cursor->end - path));
    if (!zero)
        return PatchDataError;
    header->relativePath = reinterpret_cast<const char*>(path);
    header->pathLength = static_cast<size_t>(static_cast<const uint8_t*>(zero) - path);
    cursor->pos = static_cast<const uint8_t*>(zero) + 1;
    return PatchOk;
}

int PeekBodyKind(const PatchCursor* cursor) {
    return cursor->pos < cursor->end ? *cursor->pos : -1;
}

int ReadAttachedBody(PatchCursor* cursor, const uint8_t** bytes, uint32_t* size) {
    PatchCursor c = *cursor;
    uint32_t s;
    if (PeekBodyKind(&c) != BodyAttached)
        return PatchDataError;
    c.pos += 1;
    if (!TakeU32(&c, &s) || Left(&c) < s)
        return PatchDataError;
    *bytes = c.pos;
    *size = s;
    cursor->pos = c.pos + s;
    return PatchOk;
}

int RunPatchOps(PatchCursor* cursor, const uint8_t* old, uint32_t oldSize, PatchWriter write,
                void* context) {
    int writing = 1;
    for (;;) {
        if (Left(cursor) < 1)
            return PatchDataError;
        uint8_t op = *cursor->pos++;
        uint32_t length, offset;
        const uint8_t* from;
        if (op == OpEnd)
            return writing ? PatchOk : PatchWriteFailed;
        if (op == OpCopy) {
            if (!TakeU32(cursor, &length) || !TakeU32(cursor, &offset))
                return PatchDataError;
            // 64-bit sum: offset + length must not wrap around past the old file.
            if (static_cast<uint64_t>(offset) + length > oldSize)
                return PatchDataError;
            from = old + offset;
        } else if (op == OpInsert) {
            if (!TakeU32(cursor, &length) || Left(cursor) < length)
                return PatchDataError;
            from = cursor->pos;
            cursor->pos += length;
        } else {
            return PatchDataError;
        }
        if (writing && length > 0 && !write(context, from, length))
            writing = 0;
    }
}

int SkipEntryBody(PatchCursor* cursor) {
    if (PeekBodyKind(cursor) == BodyAttached) {
        const uint8_t* bytes;
        uint32_t size;
        return ReadAttachedBody(cursor, &bytes, &size);
    }
    for (;;) {
        if (Left(cursor) < 1)
            return PatchDataError;
        uint8_t op = *cursor->pos++;
        uint32_t length;
        if (op == OpEnd)
            return PatchOk;
        if (op == OpCopy) {
            if (Left(cursor) < 8)
                return PatchDataError;
            cursor->pos += 8;
        } else if (op == OpInsert) {
            if (!TakeU32(cursor, &length) || Left(cursor) < length)
                return PatchDataError;
            cursor->pos += length;
        } else {
            return PatchDataError;
        }
    }
}

int IsContainedRelativePath(const char* path) {
    const char* p = path;
    if (IsSeparator(*p))
        ++p;
    if (*p == 0)
        return 0;
    for (;;) {
        // One component: [p, q).
        const char* q = p;
        int onlyDots = 1;
        while (*q && !IsSeparator(*q)) {
            if (*q == ':')
                return 0;
            if (*q != '.' && *q != ' ')
                onlyDots = 0;
            ++q;
        }
        if (q == p || onlyDots)
            return 0;
        if (*q == 0)
            return 1;
        p = q + 1;
    }
}
