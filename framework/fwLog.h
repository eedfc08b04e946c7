// The program's only diagnostic channel: log.txt in the working directory, one
// line per entry, flushed after every line, truncated by the first entry of a run.
#pragma once

#include <cstdio>
#include <string>

class TSimpleLog {
public:
    // Creates (truncates) the file; when that fails the log stays silently off.
    explicit TSimpleLog(const std::string& fileName = "log.txt");
    ~TSimpleLog();
    TSimpleLog(const TSimpleLog&) = delete;
    TSimpleLog& operator=(const TSimpleLog&) = delete;

    bool Opened = false;

    // Text as one line.
    void Write(const std::string& text);
    // Tag, ": " and text as one line.
    void Write(const std::string& tag, const std::string& text);

    // Lines handed to Write while the log was open, written or not (for tests).
    int LinesWritten() const { return lines_; }
    const std::string& LastLine() const { return last_; }

private:
    std::FILE* file_ = nullptr;
    int lines_ = 0;
    std::string last_;
};

// The one log of the process, made by the first call.
TSimpleLog& Log();
