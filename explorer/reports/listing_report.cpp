#include "listing_report.h"

#include <windows.h>

#include <memory>
#include <string>

#include "area.h"
#include "datetexts.h"
#include "delayed.h"
#include "detected.h"
#include "entries.h"
#include "files.h"
#include "filetypes.h"
#include "hidden.h"
#include "ids.h"
#include "iehelpers.h"
#include "lookup.h"
#include "options.h"
#include "processes.h"
#include "report_file.h"
#include "services.h"
#include "startup.h"
#include "strings.h"
#include "tasks.h"
#include "texts.h"
#include "version.h"

namespace {

constexpr char kHtmlName[] = "SentroviaLog.html";
constexpr char kTextName[] = "SentroviaLog.txt";

// The gaps older reports put after a file name and a version; kept as they were.
constexpr char kNameGap[] = "&nbsp;&nbsp;&nbsp;&nbsp;&nbsp;&nbsp;&nbsp;&nbsp&nbsp;&nbsp;&nbsp;"
                            "&nbsp;&nbsp;&nbsp;&nbsp;&nbsp";
constexpr char kVersionGap[] = "&nbsp;&nbsp;&nbsp;&nbsp&nbsp;&nbsp;&nbsp;&nbsp";
constexpr char kBullet[] = "\x95";  // Windows-1252

enum SectionId : int {
    SECTION_Startup, SECTION_Delayed, SECTION_ActiveTasks, SECTION_ScheduledTasks,
    SECTION_IEHelpers, SECTION_FileTypes, SECTION_Services, SECTION_Hidden, SECTION_ActiveX,
    SECTION_COUNT
};
// The index links the sections up to Services; the last two are reached by scrolling.
constexpr int kIndexedSections = SECTION_Services + 1;

int ListStartup() { return EnumStartupEntries(0); }  // the advanced locations too
int ListServices()
{
    EnumerateServices(false);
    return EntryCount();
}
int ListActiveX() { return Option(OPT_ActiveXListAll) != 0 ? EnumActiveXAll() : EnumActiveX(0); }

struct Section {
    UINT caption;
    int (*fill)();
};
constexpr Section kSections[SECTION_COUNT] = {
    {IDS_PAGE_STARTUP, ListStartup},
    {IDS_PAGE_DELAYED_START, EnumDelayedEntries},
    {IDS_PAGE_ACTIVE_TASKS, EnumerateRunningPrograms},
    {IDS_PAGE_SCHEDULED_TASKS, GetScheduledTasks},
    {IDS_PAGE_IE_HELPERS, EnumIEHelpers},
    {IDS_PAGE_FILE_TYPES, EnumFileTypes},
    {IDS_PAGE_SERVICES, ListServices},
    {IDS_PAGE_HIDDEN_FILES, EnumHiddenFiles},
    {IDS_PAGE_ACTIVEX, ListActiveX},
};

enum class Form { Html, Text, TextWithHtmlEntries };

Form FormOf(int format)
{
    switch (format) {
    case 0: return Form::Html;
    case 1: return Form::Text;
    default: return Form::TextWithHtmlEntries;
    }
}

std::string Loaded(UINT id, const char *fallback = "")
{
    char text[1024];
    return LoadText(id, text) > 0 ? std::string(text) : std::string(fallback);
}

// A field of a tab-separated line: a tab or line break inside it would start another column or
// another line, so each becomes a blank.
std::string Field(const std::string &text)
{
    std::string field = text;
    for (char &c : field)
        if (c == '\t' || c == '\r' || c == '\n')
            c = ' ';
    return field;
}

// The look-up address as an attribute value. The address escapes only blanks and "&", so
// quotes, angle brackets and "#" from a file name are escaped here; "&" becomes an entity.
std::string HrefText(const std::string &address)
{
    static const char kHex[] = "0123456789ABCDEF";
    std::string escaped;
    for (char c : address) {
        const unsigned char byte = static_cast<unsigned char>(c);
        if (byte <= 0x20 || byte >= 0x7F || c == '"' || c == '\'' || c == '<' || c == '>' ||
            c == '`' || c == '#') {
            escaped += '%';
            escaped += kHex[byte >> 4];
            escaped += kHex[byte & 0x0F];
        } else {
            escaped += c;
        }
    }
    return HtmlText(escaped);
}

// What is reported of one entry.
struct EntryFacts {
    int kind = 0;
    std::string title, file, path, detail, description, location, firstSeen;
    const VersionRecord *version = nullptr;
};

// The date the detected register holds for the entry (read only: a report dates nothing). The
// areas keyed as they are (class identifiers) hold the entry's detail, the others its file.
std::string FirstSeenOf(int kind, const std::string &path, const std::string &detail)
{
    const AreaRow &row = AreaOfKind(kind);
    std::string key = detail;
    if (row.detectedKey == nullptr || row.firstSeenKey != FirstSeenKey::AsIs) {
        char clean[MAX_PATH];
        CleanPath(path.c_str(), clean, sizeof clean);
        key = clean;
    }
    char date[64];
    GetFirstSeen(key.c_str(), kind, date, sizeof date);
    return date;
}

EntryFacts FactsOf(int index, VersionRecord &version)
{
    EntryFacts facts;
    facts.kind = EntryKind(index);
    facts.title = EntryWholeTitle(index);
    facts.path = EntryWholePath(index);
    facts.file = FileNameOf(facts.path);
    char text[kDescriptionWidth + 1];
    EntryDetail(index, text, sizeof text);
    facts.detail = text;
    EntryDescription(index, text, sizeof text);
    facts.description = text;
    char location[512];
    GetLocationText(index, location, sizeof location);
    facts.location = location;
    char clean[MAX_PATH];
    CleanPath(facts.path.c_str(), clean, sizeof clean);
    ReadVersionInfo(clean, &version);
    facts.version = &version;
    facts.firstSeen = FirstSeenOf(facts.kind, facts.path, facts.detail);
    return facts;
}

void WriteTextEntry(ReportFile &report, const EntryFacts &facts)
{
    const char *const fields[] = {
        facts.title.c_str(), facts.file.c_str(),
        facts.version->slot[VS_FileDescription], facts.version->slot[VS_ProductVersion],
        facts.version->slot[VS_LegalCopyright], facts.location.c_str(), facts.path.c_str(),
    };
    std::string line;
    for (size_t i = 0; i < sizeof fields / sizeof fields[0]; ++i) {
        if (i > 0)
            line += '\t';
        line += Field(fields[i]);
    }
    line += "\r\n";
    report.Write(line);
}

void WriteHtmlEntry(ReportFile &report, int section, const EntryFacts &facts)
{
    const std::string title = facts.title.empty()
                                  ? Loaded(IDS_NO_DESCRIPTION_AVAILABLE, "No Description available")
                                  : facts.title;
    if (section == SECTION_Hidden)
        report.Printf("<li><b>%s</b>\r\n\t<ol>\r\n", HtmlText(facts.file).c_str());
    else
        report.Printf("<li><b>%s</b>\r\n\t<ol>%s%s\r\n", HtmlText(title).c_str(),
                      HtmlText(facts.file).c_str(), kNameGap);

    const VersionRecord &version = *facts.version;
    const char *description = version.slot[VS_FileDescription];
    const char *productVersion = version.slot[VS_ProductVersion];
    const char *copyright = version.slot[VS_LegalCopyright];
    if (description[0] != '\0')
        report.Printf("\t%s<br>", HtmlText(description).c_str());
    if (productVersion[0] != '\0')
        report.Printf("\tVersion: %s%s\r\n", HtmlText(productVersion).c_str(), kVersionGap);
    if (copyright[0] != '\0')
        report.Printf("\t%s<br>\r\n", HtmlText(copyright).c_str());
    if (description[0] == '\0' && productVersion[0] == '\0' && copyright[0] == '\0')
        report.Write("<br>");

    if (!facts.location.empty())
        report.Printf("\tLocation: %s<br>\r\n", HtmlText(facts.location).c_str());
    report.Printf("\tPath:     %s<br>\r\n", HtmlText(facts.path).c_str());
    if (!facts.firstSeen.empty())
        report.Printf("\tFirst Detected by Sentrovia: %s<br>\r\n",
                      HtmlText(facts.firstSeen).c_str());
    if (!facts.description.empty())
        report.Printf("\t%s<br>\r\n", HtmlText(facts.description).c_str());

    if (section == SECTION_Services) {
        // The page's start type column is the entry's detail.
        report.Printf("\tStartup Type: %s<br>\r\n", HtmlText(facts.detail).c_str());
        // A service that answers nothing (a stopped one) is given the text "Stopped" with a 0:
        // the page shows no status for it, and neither does the report.
        char status[256];
        if (GetServiceStatusText(facts.title.c_str(), status, sizeof status) > 0 &&
            status[0] != '\0')
            report.Printf("\tService Status: %s<br>\r\n", HtmlText(status).c_str());
    }
    if (section == SECTION_Hidden) {
        FileFactsRecord file{};
        FileFacts(facts.path.c_str(), facts.kind, &file);
        report.Printf("\tCreated: %s<br>\r\n", HtmlText(file.created).c_str());
        report.Printf("\tAccessed: %s<br>\r\n", HtmlText(file.accessed).c_str());
        report.Printf("\tWritten: %s<br>\r\n", HtmlText(file.written).c_str());
        report.Printf("\tFile Size: %s Bytes<br>\r\n", HtmlText(file.size).c_str());
    }
    if (section == SECTION_IEHelpers) {
        std::string line = Loaded(IDS_LOCATION, "Location");
        line += ": \"HKLM\\";
        line += HtmlText(HelperKeyOfKind(facts.kind));
        line += "\"<br>\r\n";
        report.Write(line);
    }

    // The same address the Look Up button opens, in the form the user chose.
    char address[4096];
    LookupAddress(facts.kind, facts.path.c_str(), facts.title.c_str(),
                  Option(OPT_LumenFormat) != 0, address, sizeof address);
    report.Printf("\t<A href=\"%s\">%s</A></ol>\r\n\r\n", HrefText(address).c_str(),
                  HtmlText(Loaded(IDS_LOOKUP_ONLINE_LINK, "Look up online")).c_str());
    report.Write("\t</ol><br>\r\n\r\n");
}

void WriteHtmlStart(ReportFile &report)
{
    const std::string title = HtmlText(Loaded(IDS_REPORT_LOG_TITLE, "Sentrovia Report Log"));
    report.Write("<html><head><title>\r\n");
    report.Write(title);
    report.Write("</title></head>\r\n<body bgcolor=FloralWhite>\r\n");
    report.Printf("<H2 align='center'> %s </H2>\r\n", title.c_str());
    report.Write(HeaderText(ReportHeader(true), true));
    for (int section = 0; section < kIndexedSections; ++section) {
        std::string caption = Loaded(kSections[section].caption);
        if (section == SECTION_Services && !caption.empty() && caption[0] == ' ')
            caption.erase(0, 1);
        report.Printf("<A href='%s#A%d'>%s</A><br>\r\n", kHtmlName, section,
                      HtmlText(caption).c_str());
    }
}

void WriteSection(ReportFile &report, Form form, int section)
{
    const std::string caption = Loaded(kSections[section].caption);
    if (form == Form::Html) {
        report.Printf("<A NAME=\"A%d\">\r\n", section);
        std::string line = "<center><b><BIG><BIG> ";
        line += kBullet;
        line += ' ';
        line += HtmlText(caption);
        line += ' ';
        line += kBullet;
        line += " </BIG></BIG></b></center>\r\n";
        report.Write(line);
    } else {
        report.Printf("%s\r\n", caption.c_str());
    }
    // One record for all entries: a version record is five kilobytes.
    std::unique_ptr<VersionRecord> version(new VersionRecord);
    for (int i = 0, count = kSections[section].fill(); i < count && i < EntryCount(); ++i) {
        if (EntryWholeTitle(i)[0] == '\0' && EntryWholePath(i)[0] == '\0')
            continue;
        const EntryFacts facts = FactsOf(i, *version);
        if (form == Form::Text)
            WriteTextEntry(report, facts);
        else
            WriteHtmlEntry(report, section, facts);
    }
}

} // namespace

std::string ListingReportText(int format)
{
    const Form form = FormOf(format);
    ReportFile report("");
    if (form == Form::Html) {
        WriteHtmlStart(report);
    } else {
        report.Write(HeaderText(ReportHeader(true), false));
        report.Write("Title\tProgram\tDescription\tVersion\tCopyright\tLocation\tPath\r\n");
    }
    for (int section = 0; section < SECTION_COUNT; ++section)
        WriteSection(report, form, section);
    if (form == Form::Html)
        report.Write("</body></html>\r\n");
    ClearEntryList();
    return report.text();
}

int WriteListingReport()
{
    const int format = Option(OPT_Format);
    const char *name = FormOf(format) == Form::Html ? kHtmlName : kTextName;
    ReportFile report(name);
    report.Write(ListingReportText(format));
    if (!report.Commit())
        return 0;
    char full[MAX_PATH];
    const DWORD length = GetFullPathNameA(name, sizeof full, full, nullptr);
    OpenReport(length > 0 && length < sizeof full ? full : name);
    return 1;
}
