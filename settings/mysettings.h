// CMySettings: a small INI-style key/value store that keeps its whole content
// as one text in memory and edits it in place. It holds the preferences file
// (gPrefs) and serves as the text form of the job settings stored in a
// document.
//
// The text: lines separated by a single CR, starting with a CR (so that every
// line, the first one included, is found by searching for CR + its start).
// "[name]" at a line start opens a section, which runs to the next line that
// starts with "["; "key=value" lines are entries. No comments, quoting or
// trimming; names and keys match case-sensitively, and the first occurrence
// counts.
#pragma once

#include <cstddef>
#include <cstdint>

class CMySettings {
public:
    // Results of the set-up and change operations.
    static constexpr std::int32_t kOK = 0;
    static constexpr std::int32_t kRefused = -1;     // not found, refused, or no room
    static constexpr std::int32_t kNoMemory = -108;

    // Longest section name and key (their search patterns are built in
    // 256-byte buffers) and longest entry line "key=value" + CR that set writes.
    static constexpr std::size_t kMaxSection = 252;
    static constexpr std::size_t kMaxKey = 253;
    static constexpr std::size_t kMaxLine = 1023;
    // Growth step and the free room kept before every change.
    static constexpr std::uint32_t kGrowth = 8192;
    static constexpr std::uint32_t kReserve = 512;

    CMySettings();
    ~CMySettings();
    CMySettings(const CMySettings&) = delete;
    CMySettings& operator=(const CMySettings&) = delete;

    // Empty in-memory store with a zero-filled buffer of `size` bytes (4096
    // when 0). 0, or -108.
    std::int32_t setup(long size);
    // In-memory store holding a copy of `dataLength` bytes of `data` in a
    // zero-filled buffer of `bufferCapacity` bytes (never less than the data
    // and a terminator). The data is taken unchanged; the text ends at its
    // first zero byte. 0, or -108.
    std::int32_t setup(const void* data, long dataLength, long bufferCapacity);
    // In-memory store of a stored text (a document's block): the text up to
    // its first zero byte, read like a loaded file, so that lines ending in
    // CR, LF or CR LF read alike, with or without a line end in front, and
    // empty lines drop out. 0, or -108.
    std::int32_t setupText(const void* data, long dataLength);
    // File store: loads the file at `path` (its extension made ".ini"), with
    // CR and LF runs made single CRs. A missing file gives the default text
    // (resource "Prefs" of type "ini") or an empty store. 0, -108, or -1 for a
    // path that does not fit the path buffer.
    std::int32_t setupWithPath(const char* filePath);
    // File store "Folantra.ini" in the folder "Kestrovan" (and `subFolder`
    // inside it, when given) under the user's application-support folder,
    // creating the folders. When no such file exists and `oldPath` is given, a
    // preferences file at `oldPath` with the extension ".ini" is moved there
    // first (the plug-in's own path: a file kept beside the plug-in).
    std::int32_t setupWithinAppSupport(const char* oldPath, const char* subFolder);

    // Copies the value of `key` in `section` into `value` (at most capacity - 1
    // bytes, cut at a character boundary when longer) and returns the bytes
    // copied; -1 when there is no buffer, section or key (the buffer is
    // untouched then).
    long getString(const char* section, const char* key, char* value, long valueCapacity);
    // The value read as a decimal integer (leading blanks, optional sign,
    // digits; no digits gives 0; held at the limits of the 32-bit range); the
    // default when the value is missing or empty.
    std::int32_t getInt32(const char* section, const char* key, std::int32_t def);
    // The value read as a decimal number with a point as decimal separator
    // (whatever the process locale); no number gives 0, a number beyond the
    // range of float is held at the largest float. The default when missing
    // or empty.
    float getFloat(const char* section, const char* key, float def);

    // Sets the entry: it becomes the first line of its section, replacing the
    // key's old line; a missing section is appended at the end. Refused with
    // -1 and no change: no buffer or no room, a section or key too long, an
    // entry line longer than 1023 characters, a CR or LF anywhere, a "]" in
    // the section, a "=" in the key or a key starting with "[" (each could
    // make the line read back as another entry or as a section header).
    std::int32_t set(const char* section, const char* key, const char* value);
    std::int32_t set(const char* section, const char* key, std::int32_t value); // "%d"
    std::int32_t setFloat(const char* section, const char* key, float value);   // "%.4f", point separator

    // Removes the first line of `key` inside `section`; nothing when either is
    // absent.
    void remove(const char* section, const char* key);
    // Removes the line starting at `p` (inside buffer) together with its CR.
    void removeLine(char* p);
    // Makes room before a change: grows by 8192 bytes while fewer than 512
    // bytes (or fewer than `need` + 1) are free. 0, or -108.
    std::int32_t checkBuffer(std::size_t need = 0);
    // Makes every run of CR and LF bytes one CR, cuts the text at its first
    // zero byte and ends it with a CR.
    void setupCR();
    // Bytes from `p` to the next CR or the end; one more when `withCR` is 1
    // and a CR ended the line.
    long getLineLen(const char* p, unsigned char withCR) const;

    char path[512];              // the file's path; empty for an in-memory store
    char* buffer = nullptr;      // the text, zero-terminated; null before set-up
    std::uint32_t length = 0;    // bytes of text, the terminator not counted
    std::uint32_t capacity = 0;  // allocated bytes of buffer

private:
    void release();
    bool adopt(const char* text, std::size_t textLength, std::size_t bufferCapacity);
    void loadDefaults();
    const char* findSection(const char* section, const char** sectionEnd) const;
    char* findEntry(const char* sectionStart, const char* sectionEnd, const char* key) const;
    bool insert(std::size_t offset, const char* bytes, std::size_t n);
};

// The preferences, set up at start-up from "Folantra.ini"; section "General"
// holds the switches "CropBox", "BleedBox", "Folantra", "TB" (each on only
// when exactly 1, default 1) and "AddPS" (default 0).
extern CMySettings gPrefs;
