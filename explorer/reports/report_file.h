// What every report shares: the file written whole or not at all, the opening of the written
// file, and the header lines that say who wrote the report, when and on what system.
#pragma once
#include <initializer_list>
#include <string>
#include <vector>

// A report's text gathered in memory and put in place in one step: Commit writes a temporary file
// beside the target and renames it over the target, so a failure never leaves half a report over
// a good one. A report never committed leaves no file behind.
class ReportFile {
public:
    explicit ReportFile(std::string path) : path_(std::move(path)) {}
    void Write(const char *text) { text_ += text; }
    void Write(const std::string &text) { text_ += text; }
    // printf-style; the line is never cut, however long.
    void Printf(const char *format, ...) __attribute__((format(printf, 2, 3)));
    const std::string &text() const { return text_; }
    // 1 when the whole text is in place under the path; 0 leaves any older file as it was.
    int Commit();

private:
    std::string path_;
    std::string text_;
};

// Asks the shell to "open" a written report. Tests put their own opener in its place.
using ReportOpener = void (*)(const char *path);
ReportOpener SetReportOpener(ReportOpener opener);
void OpenReport(const char *path);
// After a write: the written report is opened; one that could not be written is still asked for
// when no file stands under its name (the shell then says so), but an older report is never
// opened as if it were the new one.
void OpenWrittenReport(const char *path, bool written);

// One line of the header: a label (bold in the HTML forms) and the text that follows it.
struct HeaderLine {
    std::string label;
    std::string rest;
};
// The lines "Log created by ..." and "Scan saved at ...", then, with full, "Platform: ...",
// "MSIE: ..." and "Boot mode: ...".
std::vector<HeaderLine> ReportHeader(bool full);
// The header as plain lines ended by CR LF, or as HTML (labels bold, lines ended by "<br>").
std::string HeaderText(const std::vector<HeaderLine> &lines, bool html);

// The "MSIE: ..." line's text (without a line end).
std::string MsieText();
// The local time on the 12-hour dial, "%2d:%02d:%02d AM", and the date "%2d/%02d/%4d" (month,
// day, year).
std::string ReportTimeText(int hour, int minute, int second);
std::string ReportDateText(int month, int day, int year);
// The parts one after another (GCC 12 warns falsely about operator+ on short literals).
std::string Joined(std::initializer_list<std::string> parts);
// Text made safe to stand in HTML: &, < and > as entities.
std::string HtmlText(const std::string &text);
// The text after the last backslash of a path, the whole path when it has none.
std::string FileNameOf(const std::string &path);
