#pragma once
// CTextLineReader: the lines of a contacts file as program text, one at a time. A line ends at a
// line feed; a carriage return before it is dropped. The whole file is never held, and of a
// line longer than kMaxLine only its start is kept (the line is marked truncated).
//
// Encodings: a leading UTF-8 byte-order mark is dropped and the file read as UTF-8; UTF-16
// with a byte-order mark (either order) is read as such; a file without a mark is read as UTF-8
// when it is valid UTF-8 and holds bytes above 0x7F, and as Windows-1252 bytes otherwise.
// UTF-8 and UTF-16 text is converted to the code page, unknown characters becoming '?'.
// Lines of plain ASCII read the same either way, so a file without a mark is checked as it is
// read, and only from its first byte above 0x7F to its end is it read once more.

#include <cstddef>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

enum class TextEncoding { Cp1252, Utf8, Utf16Le, Utf16Be };

class CTextLineReader {
public:
    static constexpr std::size_t kMaxLine = std::size_t{1} << 20;

    explicit CTextLineReader(const std::filesystem::path& path);

    // False when the file could not be opened or read (a folder, no permission).
    bool Good() const { return m_file != nullptr && !m_failed; }
    // Decides now when no line so far has told.
    TextEncoding Encoding();

    // The next line; false at the end of the file or once reading failed.
    bool ReadLine(std::string& line);
    bool Truncated() const { return m_truncated; }

    // True for valid UTF-8 holding at least one byte above 0x7F.
    static bool IsUtf8Text(std::string_view bytes);

    // About how many lines the file has, judged from its size and its start; 0 when unknown.
    std::size_t ExpectedLines() const { return m_expectedLines; }

private:
    struct FileCloser {
        void operator()(std::FILE* f) const noexcept { std::fclose(f); }
    };

    bool Fill();
    int NextByte();
    int NextUnit();
    bool ReadBytesLine(std::string& line);
    bool ReadUtf16Line(std::string& line);
    void Keep(std::string& line, const char* data, std::size_t size);
    void ReadMark(const std::filesystem::path& path);
    void DecideEncoding();

    // Where a UTF-8 check stands after the bytes fed so far.
    struct Utf8State {
        int need = 0;  // continuation bytes still due
        unsigned char low = 0x80, high = 0xBF;
        bool valid = true;
        bool sawHigh = false;
    };
    static void FeedUtf8(Utf8State& state, const char* data, std::size_t size);

    std::unique_ptr<std::FILE, FileCloser> m_file;
    std::vector<char> m_buffer;
    std::size_t m_pos = 0;
    std::size_t m_end = 0;
    bool m_failed = false;
    bool m_eof = false;
    bool m_truncated = false;
    std::size_t m_expectedLines = 0;
    bool m_decided = true;  // false while the lines read so far were plain ASCII
    Utf8State m_utf8;
    int m_pendingUnit = -1;  // a UTF-16 unit read ahead after an unpaired surrogate
    TextEncoding m_encoding = TextEncoding::Cp1252;
};
