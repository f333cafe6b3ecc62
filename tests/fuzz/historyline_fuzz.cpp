// The history file's text as it comes from disk, and the texts built from what it held: the walk,
// the record line, the name look-ups and the upload's query string.
#include <algorithm>
#include <cstdint>

#include "fuzzkit.h"
#include "historyline.h"
#include "text.h"

namespace {

constexpr size_t kRoundTrips = 64; // records per input sent back through BuildHistoryLine

bool Clean(const char *field, size_t width)
{
    if (memchr(field, '\0', width + 1) == nullptr)
        return false;
    return strpbrk(field, "\t\r\n") == nullptr;
}

bool SameRecord(const HistoryRecord &a, const HistoryRecord &b)
{
    return strcmp(a.date, b.date) == 0 && a.action == b.action && a.kind == b.kind &&
           strcmp(a.title, b.title) == 0 && strcmp(a.path, b.path) == 0 &&
           strcmp(a.detail, b.detail) == 0 && strcmp(a.kept, b.kept) == 0;
}

void CheckActionCode(int code)
{
    const char *name = ActionNameOf(code);
    FUZZ_CHECK(name[0] != '\0');
    FUZZ_CHECK(ActionCodeOf(name) == code);
}

void CheckKindCode(int code)
{
    FUZZ_CHECK(KindOfTypeName(TypeNameOfKind(code)) == code);
}

struct Walked {
    std::vector<HistoryRecord> records;
    size_t calls = 0;
    size_t acceptLimit = SIZE_MAX;
};

int Receive(const HistoryRecord &record, void *context)
{
    Walked &walked = *static_cast<Walked *>(context);
    ++walked.calls;
    FUZZ_CHECK(Clean(record.date, kHistoryDateWidth));
    FUZZ_CHECK(Clean(record.title, kHistoryTitleWidth));
    FUZZ_CHECK(Clean(record.path, kHistoryPathWidth));
    FUZZ_CHECK(Clean(record.detail, kHistoryPathWidth));
    FUZZ_CHECK(Clean(record.kept, kHistoryKeptWidth));
    CheckActionCode(record.action);
    CheckKindCode(record.kind);
    if (walked.records.size() >= walked.acceptLimit)
        return 0;
    walked.records.push_back(record);
    return 1;
}

Walked Walk(const char *text, size_t length, size_t acceptLimit = SIZE_MAX)
{
    Walked walked;
    walked.acceptLimit = acceptLimit;
    int accepted = WalkHistoryText(text, length, Receive, &walked);
    FUZZ_CHECK(accepted >= 0 && static_cast<size_t>(accepted) == walked.records.size());
    return walked;
}

std::string Line(const HistoryRecord &r, size_t capacity, size_t *answered)
{
    HeapBuffer out(capacity);
    *answered = BuildHistoryLine(r.date, r.action, r.kind, r.title, r.path, r.detail, out.data(),
                                 capacity, r.kept);
    if (capacity > 0)
        FUZZ_CHECK(out.Terminated());
    return out.Text();
}

bool KeepsAll(const HistoryRecord &r)
{
    return HistoryRecordKeepsAll(r.date, r.action, r.kind, r.title, r.path, r.detail, r.kept);
}

// A record walked from a file and written again is one line, and the same record when the line
// keeps it all; the line cut at any capacity keeps its start and its CR LF.
void RoundTrip(const HistoryRecord &record, unsigned char pick)
{
    size_t length = 0;
    std::string line = Line(record, kHistoryRecordBuffer, &length);
    FUZZ_CHECK(length == line.size() && length < kHistoryRecordBuffer);
    FUZZ_CHECK(line.size() >= 2 && line.compare(line.size() - 2, 2, "\r\n") == 0);
    Walked again = Walk(line.data(), line.size());
    FUZZ_CHECK(again.records.size() == 1);
    if (KeepsAll(record))
        FUZZ_CHECK(SameRecord(again.records[0], record));

    const std::string body = line.substr(0, line.size() - 2);
    for (size_t capacity : CapacitiesAround(line.size(), pick)) {
        std::string cut = Line(record, capacity, &length);
        FUZZ_CHECK(length == cut.size());
        if (capacity < 3) {
            FUZZ_CHECK(length == 0);
            continue;
        }
        FUZZ_CHECK(length < capacity);
        FUZZ_CHECK(cut == body.substr(0, capacity - 3) + "\r\n");
    }
}

std::string Sanitized(const char *text)
{
    std::string s = text ? text : "";
    for (char &c : s)
        c = (c == '\t' || c == '\r' || c == '\n') ? ' ' : c;
    return s;
}

const char *PartOrNull(const std::vector<std::string> &parts, size_t i)
{
    return i < parts.size() ? parts[i].c_str() : nullptr;
}

// A field as the walk keeps it: whole within its width, else empty.
std::string Loaded(const std::string &field, size_t width)
{
    return field.size() <= width ? field : std::string();
}

// Fields straight from the input (tabs, CR and LF included) must still make one record.
void LineFromFields(const std::vector<std::string> &parts, const unsigned char *data, size_t size)
{
    const int action = size > 0 ? static_cast<signed char>(data[0]) : 0;
    const int kind = size > 2 ? static_cast<int16_t>(data[1] | data[2] << 8) % 3001 : 1;
    const char *date = PartOrNull(parts, 0);
    const char *title = PartOrNull(parts, 1);
    const char *path = PartOrNull(parts, 2);
    const char *detail = PartOrNull(parts, 3);
    const char *kept = PartOrNull(parts, 4);

    HeapBuffer out(kHistoryRecordBuffer);
    size_t length =
        BuildHistoryLine(date, action, kind, title, path, detail, out.data(), out.capacity(), kept);
    FUZZ_CHECK(out.Terminated() && strlen(out.data()) == length && length < out.capacity());
    const std::string line = out.Text();
    FUZZ_CHECK(line.size() >= 2 && line.compare(line.size() - 2, 2, "\r\n") == 0);
    FUZZ_CHECK(line.find_first_of("\r\n") == line.size() - 2);

    const std::string fields[] = {Sanitized(date),  ActionNameOf(action), TypeNameOfKind(kind),
                                  Sanitized(title), Sanitized(path),      Sanitized(detail)};
    const std::string keptField = Sanitized(kept);
    std::string whole = fields[0];
    for (size_t i = 1; i < 6; ++i)
        whole += "\t" + fields[i];
    if (!keptField.empty())
        whole += "\t" + keptField;
    whole += "\r\n";

    Walked walked = Walk(line.data(), line.size());
    FUZZ_CHECK(walked.records.size() == 1);
    if (whole.size() >= kHistoryRecordBuffer) {
        FUZZ_CHECK(line.size() == kHistoryRecordBuffer - 1);
        FUZZ_CHECK(line.substr(0, line.size() - 2) == whole.substr(0, line.size() - 2));
        return;
    }
    FUZZ_CHECK(line == whole);
    const HistoryRecord &r = walked.records[0];
    FUZZ_CHECK(r.date == Loaded(fields[0], kHistoryDateWidth));
    FUZZ_CHECK(r.action ==
               (fields[1].empty() ? kUnknownActionCode : ActionCodeOf(fields[1].c_str())));
    FUZZ_CHECK(r.kind == KindOfTypeName(fields[2].c_str()));
    FUZZ_CHECK(r.title == Loaded(fields[3], kHistoryTitleWidth));
    FUZZ_CHECK(r.path == Loaded(fields[4], kHistoryPathWidth));
    FUZZ_CHECK(r.detail == Loaded(fields[5], kHistoryPathWidth));
    FUZZ_CHECK(r.kept == Loaded(keptField, kHistoryKeptWidth));

    // Where the line keeps it all, the fields come back exactly as they were given.
    if (HistoryRecordKeepsAll(date, action, kind, title, path, detail, kept)) {
        FUZZ_CHECK(r.date == fields[0] && r.title == fields[3] && r.path == fields[4]);
        FUZZ_CHECK(r.detail == fields[5] && r.kept == keptField);
    }
}

void NameLookUps(const char *name)
{
    int kind = KindOfTypeName(name);
    CheckKindCode(kind);
    if (kind != kUnknownTypeCode)
        FUZZ_CHECK(EqualsNoCase(name, TypeNameOfKind(kind)));
    int action = ActionCodeOf(name);
    CheckActionCode(action);
    if (name != nullptr) {
        HeapText upper(Upper(name));
        FUZZ_CHECK(KindOfTypeName(upper.c_str()) == kind);
        FUZZ_CHECK(ActionCodeOf(upper.c_str()) == action);
    }
}

std::vector<std::string> EscapePieces(const char *text)
{
    std::vector<std::string> pieces;
    for (const char *p = text ? text : ""; *p != '\0'; ++p) {
        unsigned char c = static_cast<unsigned char>(*p);
        bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
                     c == '-' || c == '.' || c == '_' || c == '~';
        char escape[4];
        snprintf(escape, sizeof escape, "%%%02X", c);
        pieces.push_back(plain ? std::string(1, *p) : std::string(escape));
    }
    return pieces;
}

std::string Joined(const std::vector<std::string> &pieces)
{
    std::string whole;
    for (const std::string &piece : pieces)
        whole += piece;
    return whole;
}

void QueryValue(const char *text, unsigned char pick)
{
    const std::vector<std::string> pieces = EscapePieces(text);
    const std::string whole = Joined(pieces);
    for (size_t capacity : CapacitiesAround(whole.size(), pick)) {
        HeapBuffer out(capacity);
        int fitted = QueryValueText(text, out.data(), capacity);
        if (capacity == 0) {
            FUZZ_CHECK(fitted == 0);
            continue;
        }
        FUZZ_CHECK(out.Terminated());
        FUZZ_CHECK(out.Text() == WholePiecesIn(pieces, capacity));
        FUZZ_CHECK(fitted == (whole.size() < capacity));
    }
}

void Query(const std::vector<std::string> &parts, unsigned char pick)
{
    HistoryUpload values{PartOrNull(parts, 0), PartOrNull(parts, 1), PartOrNull(parts, 2),
                         PartOrNull(parts, 3), PartOrNull(parts, 4), PartOrNull(parts, 5),
                         PartOrNull(parts, 6)};
    const char *keys[] = {"&name=", "&code=", "&time=", "&action=", "&type=", "&title=", "&path="};
    const char *texts[] = {values.name, values.code,  values.time, values.action,
                           values.type, values.title, values.path};
    std::vector<std::string> pieces;
    for (size_t i = 0; i < 7; ++i) {
        pieces.push_back(keys[i]);
        for (std::string &piece : EscapePieces(texts[i]))
            pieces.push_back(std::move(piece));
    }
    const std::string whole = Joined(pieces);
    std::vector<size_t> capacities = CapacitiesAround(whole.size(), pick);
    for (size_t around : {kHistoryQueryLimit, kHistoryQueryLimit + 1, kHistoryQueryLimit + 2})
        capacities.push_back(around);
    for (size_t capacity : capacities) {
        HeapBuffer out(capacity);
        int fitted = BuildHistoryQuery(values, out.data(), capacity);
        const size_t room = capacity < kHistoryQueryLimit + 1 ? capacity : kHistoryQueryLimit + 1;
        if (capacity == 0) {
            FUZZ_CHECK(fitted == 0);
            continue;
        }
        FUZZ_CHECK(out.Terminated());
        FUZZ_CHECK(out.Text() == WholePiecesIn(pieces, room));
        FUZZ_CHECK(fitted == (whole.size() < room));
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const char *text = reinterpret_cast<const char *>(data);
    const unsigned char pick = PickOf(data, size);

    // The file's bytes as loaded: no terminator, so a read past the end is caught.
    Walked walked = Walk(text, size);
    FUZZ_CHECK(walked.records.size() == static_cast<size_t>(std::count(text, text + size, '\n')));
    FUZZ_CHECK(walked.calls == walked.records.size());

    // A receiver whose list fills up stops the walk on the record it refused.
    const size_t half = walked.records.size() / 2;
    Walked stopped = Walk(text, size, half);
    FUZZ_CHECK(stopped.records.size() == half);
    FUZZ_CHECK(stopped.calls == (walked.records.empty() ? 0 : half + 1));
    for (size_t i = 0; i < half; ++i)
        FUZZ_CHECK(SameRecord(stopped.records[i], walked.records[i]));

    for (size_t i = 0; i < walked.records.size() && i < kRoundTrips; ++i)
        RoundTrip(walked.records[i], static_cast<unsigned char>(pick + i));

    const std::vector<std::string> parts = PartsOf(data, size);
    LineFromFields(parts, data, size);
    NameLookUps(nullptr);
    QueryValue(nullptr, pick);
    for (size_t i = 0; i < parts.size() && i < 7; ++i) {
        NameLookUps(parts[i].c_str());
        QueryValue(parts[i].c_str(), pick);
    }
    Query(parts, pick);
    return 0;
}
