#include "fwLog.h"

#include "fwConfig.h"

#include <memory>

TSimpleLog::TSimpleLog(const std::string& fileName) {
    // Binary mode: the line end is ours to choose per build, never translated.
    file_ = std::fopen(fileName.c_str(), "wb");
    Opened = file_ != nullptr;
}

TSimpleLog::~TSimpleLog() {
    if (file_ != nullptr)
        std::fclose(file_); // a failing close only loses what is already flushed
}

void TSimpleLog::Write(const std::string& text) {
    if (!Opened)
        return;
    ++lines_;
    last_ = text;
    // A write or flush failure drops the line: the log must never end the game.
    std::string line = text + kLineEnd;
    std::fwrite(line.data(), 1, line.size(), file_);
    std::fflush(file_);
    std::clearerr(file_);
}

void TSimpleLog::Write(const std::string& tag, const std::string& text) {
    Write(tag + ": " + text);
}

TSimpleLog& Log() {
    // Made on first use and freed at program end, which closes the file.
    static std::unique_ptr<TSimpleLog> log = std::make_unique<TSimpleLog>();
    return *log;
}
