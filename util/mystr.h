// Text conversion between the plug-in's zero-terminated UTF-8 texts and UTF-16
// or the other 8-bit encodings the plug-in hands to the system. The text
// class knows no string table: the table hands it its translation when it
// loads (setMyStrTranslator).
#pragma once

#include "util/myalloc.h" // getUString's copy is released with myfree

#include <cstdarg>
#include <cstddef>
#include <string>

// UTF-8 to UTF-16 code units, surrogate pairs for characters beyond U+FFFF.
// Invalid input never stops the conversion and is never read past `length`:
// every ill-formed sequence (a stray continuation byte, a lead byte without
// its continuation bytes, overlong forms, encoded surrogates, values beyond
// U+10FFFF) becomes one U+FFFD per maximal ill-formed part, as Unicode
// recommends. Windows converts through the system, which also substitutes
// U+FFFD.
std::u16string utf8ToUtf16(const char* text, std::size_t length);
std::u16string utf8ToUtf16(const char* text); // zero-terminated; null gives ""

// Windows build only: a UTF-8 text as the system's wide text (null gives "").
std::wstring utf8ToWide(const char* text);

// UTF-16 to UTF-8; an unpaired surrogate becomes U+FFFD.
std::string utf16ToUtf8(const char16_t* text, std::size_t length);

// ---- cutting UTF-8 text to a byte limit ----
// Every text the plug-in cuts to fit a buffer (settings values, host values,
// messages, dialog texts, log lines, file names) is cut here, so that no cut
// ends inside a character.

// How many of the `length` bytes of `text` fit into `max` bytes without
// ending inside a UTF-8 sequence: `length` when it fits; otherwise at most
// `max`, stepped back to the start of the character the limit falls into.
std::size_t utf8Fit(const char* text, std::size_t length, std::size_t max);
// `length` less the bytes of a UTF-8 sequence that the text's end leaves
// incomplete (as a cut at a byte count by someone else leaves it).
std::size_t utf8Complete(const char* text, std::size_t length);
// Copies the zero-terminated `text` into `out` (`cap` bytes, at least 1),
// zero-terminated and cut at a character boundary when it does not fit.
// Returns the bytes copied.
std::size_t copyUTF8(char* out, std::size_t cap, const char* text);
// vsnprintf into `out` (`cap` bytes, at least 1), a cut output ending at a
// character boundary. Returns the bytes written, or -1 for a bad format
// (`out` then holds "").
int vformatUTF8(char* out, std::size_t cap, const char* format, va_list args);
int formatUTF8(char* out, std::size_t cap, const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 3, 4)))
#endif
    ;
// At most `max` bytes of `text`, cut at a character boundary.
std::string cutUTF8(const std::string& text, std::size_t max);

// 8-bit encodings for MyStr::getString. Any other value is taken as a Windows
// code page number (only the Windows build knows those).
enum : int {
    kEncMacRoman = 0, // the Mac OS Roman character set; unmapped characters become '?'
    kEncSystem = 1,   // the system's 8-bit code page (Windows ANSI; UTF-8 elsewhere)
    kEncUTF8 = 2,
    kEncUTF16 = 3     // UTF-16 code units copied unchanged
};

// A text held as UTF-16 with a cached UTF-8 form. Copies are deep; the object
// owns everything it hands out through utf8() and utf16(), valid until the
// next change, reset or destruction.
class MyStr {
public:
    MyStr() = default;
    // `text` as UTF-8; with `translate` set and a text shorter than 250 bytes,
    // first looked up in the string table (through the translator the table
    // set, translateString), so "title:" becomes "Title:" or "Titel:". A
    // null text gives an empty object.
    MyStr(const char* text, unsigned char translate);
    // The number formatted in decimal.
    explicit MyStr(long number);

    // Forgets the text (same as reset; there is nothing outside the object to
    // release).
    void init();
    // Drops the text and every cached form; harmless when already empty.
    void reset();

    bool isEmpty() const { return !mHasText; }
    // Length in UTF-16 units; 0 for an empty object.
    long length() const { return static_cast<long>(mText.size()); }

    // A new zero-terminated UTF-16 copy that the caller releases with myfree;
    // null when it cannot be allocated.
    char16_t* getUString() const;
    // The cached zero-terminated forms ("" for an empty object).
    const char16_t* utf16() const { return mText.c_str(); }
    const char* utf8();

    // Copies the text into `buffer` (capacity in bytes) in `encoding`,
    // zero-terminated (kEncUTF16: a zero unit), cut at a character boundary
    // when it does not fit. Leaves the buffer untouched and returns false for
    // an empty object, a capacity too small for the terminator, or an encoding
    // this system cannot convert to.
    bool getString(char* buffer, long capacity, int encoding);

    // The text as a file-system path (UTF-8) into a 512-byte buffer; false
    // and the buffer untouched when the object is empty or the path does not
    // fit. Paths starting with "/" are normalised first.
    bool getPath(char* buffer);

    // Replaces the text by its canonically composed form (NFC) where the
    // platform offers the composition.
    void normalize();

private:
    void assign(const char* utf8Text);

    std::u16string mText; // the string itself, UTF-16
    std::string mUTF8;    // cached UTF-8 form
    bool mHasText = false;
    bool mHasUTF8 = false;
};

// Translates a label into `output` (at least 512 bytes), as translateString
// of the string table does; `input` (a text shorter than 250 bytes) may be
// changed.
typedef void (*MyStrTranslator)(char* input, char* output);
// The translation of MyStr's translating constructor; the string table sets
// it when it loads. Without one (null) a text is taken as it is, as a
// lookup without a table gives it.
void setMyStrTranslator(MyStrTranslator translator);
