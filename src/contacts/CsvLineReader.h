#pragma once
// CCsvLineReader: the lines of a contacts file as program text, one at a time. A line ends at a
// line feed; a carriage return before it is dropped. The whole file is never held, and of a
// line longer than kMaxLine only its start is kept (the line is marked truncated).
//
// Encodings: a leading UTF-8 byte-order mark is dropped and the file read as UTF-8; UTF-16
// with a byte-order mark (either order) is read as such; a file without a mark is read as UTF-8
// when it is valid UTF-8 and holds bytes above 0x7F, and as Windows-1252 bytes otherwise.
// UTF-8 and UTF-16 text is converted to the code page, unknown characters becoming '?'.

#include <cstddef>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

enum class CsvEncoding { Cp1252, Utf8, Utf16Le, Utf16Be };

class CCsvLineReader {
public:
    static constexpr std::size_t kMaxLine = std::size_t{1} << 20;

    explicit CCsvLineReader(const std::filesystem::path& path);

    // False when the file could not be opened or read (a folder, no permission).
    bool Good() const { return m_file != nullptr && !m_failed; }
    CsvEncoding Encoding() const { return m_encoding; }

    // The next line; false at the end of the file or once reading failed.
    bool ReadLine(std::string& line);
    bool Truncated() const { return m_truncated; }

    // The number of line feeds in the file when the encoding check went through it, else 0.
    std::size_t LineFeeds() const { return m_lineFeeds; }

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
    void DetectEncoding();

    std::unique_ptr<std::FILE, FileCloser> m_file;
    std::vector<char> m_buffer;
    std::size_t m_pos = 0;
    std::size_t m_end = 0;
    bool m_failed = false;
    bool m_eof = false;
    bool m_truncated = false;
    std::size_t m_lineFeeds = 0;
    int m_pendingUnit = -1;  // a UTF-16 unit read ahead after an unpaired surrogate
    CsvEncoding m_encoding = CsvEncoding::Cp1252;
};
