// UniqueFileName: a free file name in a folder, optionally stamped with the local date
// and time, numbered from "-0" while the name is taken.
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <wx/datetime.h>
#include <wx/regex.h>

#include "DirHelper.h"
#include "Platform.h"
#include "TempFolder.h"

namespace fs = std::filesystem;

namespace {

struct UnstampedCase {
    const char* fileName;
    std::vector<const char*> taken; // files already in the folder
    const char* expected;           // below the folder
};

const UnstampedCase kUnstampedCases[] = {
    {"run.log", {}, "run.log"},
    {"README", {}, "README"},
    {"/some/where/run.log", {}, "run.log"},
    {"sub/run.log", {}, "run.log"},
    {"run.log", {"run.log"}, "run-0.log"},
    {"run.log", {"run.log", "run-0.log"}, "run-1.log"},
    {"run.log", {"run.log", "run-0.log", "run-1.log", "run-2.log"}, "run-3.log"},
    {"run.log", {"run-0.log"}, "run.log"},
    {"README", {"README"}, "README-0"},
    {"README", {"README", "README.", "README-0."}, "README-0"},
    {"archive.tar.gz", {"archive.tar.gz"}, "archive.tar-0.gz"},
};

TEST(UniqueFileName, FreeNameWithoutStamps)
{
    for (const UnstampedCase& c : kUnstampedCases) {
        SCOPED_TRACE(c.fileName);
        // Where "README." is "README", the names with a trailing dot are no other files.
        const bool trailingDot = std::any_of(c.taken.begin(), c.taken.end(), [](const char* name) {
            return std::string(name).back() == '.';
        });
        if (trailingDot && !platform::trailingDotKept)
            continue;
        TempFolder tmp;
        for (const char* name : c.taken)
            tmp.MakeFile(name);
        const std::set<std::string> before = {c.taken.begin(), c.taken.end()};

        const wxString result =
            DirHelper::UniqueFileName(Native(c.fileName), tmp.Path() + DirHelper::GetSeparator(),
                                      false, false);

        EXPECT_EQ(result, tmp.Path(c.expected));
        std::set<std::string> after;
        for (const fs::directory_entry& e : fs::directory_iterator(tmp.Fs()))
            after.insert(e.path().filename().string());
        EXPECT_EQ(after, before) << "nothing is created";
    }
}

// The system sees a path only up to its first NUL, so a name or folder that carries one
// is read up to it; before, a taken name kept the counter running for ever (CTest's
// time limit turns that back into a failure).
TEST(UniqueFileName, TextFromANulOnIsDropped)
{
    const wxString nul(wxUniChar(0));
    TempFolder tmp;
    tmp.MakeFile("run.log");
    const wxString folder = tmp.Path() + DirHelper::GetSeparator();

    EXPECT_EQ(DirHelper::UniqueFileName(wxT("run.log") + nul + wxT("x.txt"), folder, false, false),
              tmp.Path("run-0.log"));
    EXPECT_EQ(DirHelper::UniqueFileName(wxT("run.log"), folder + nul + wxT("elsewhere/"), false,
                                        false),
              tmp.Path("run-0.log"));
    EXPECT_EQ(DirHelper::UniqueFileName(nul + wxT("run.log"), folder, false, false), folder);
}

struct Stamp {
    wxDateTime when;
    bool hasDate;
    bool hasTime;
};

// Reads the stamp back out of a result name; false when the name does not have the
// expected shape (base, then date, then time, then the extension) or names no real moment.
bool ParseStamp(const wxString& name, bool withDate, bool withTime, Stamp& stamp)
{
    wxString pattern = wxT("^run");
    if (withDate)
        pattern += wxT("-([0-9]{4,})\\.([0-9]{2})\\.([0-9]{2})");
    if (withTime)
        pattern += wxT("-([0-9]{2})\\.([0-9]{2})\\.([0-9]{2})");
    pattern += wxT("\\.log$");
    wxRegEx shape(pattern, wxRE_EXTENDED);
    if (!shape.IsValid() || !shape.Matches(name))
        return false;
    size_t next = 1;
    auto field = [&]() {
        long value = -1;
        shape.GetMatch(name, next++).ToLong(&value);
        return int(value);
    };
    const wxDateTime today = wxDateTime::Today();
    int year = today.GetYear(), month = today.GetMonth() + 1, day = today.GetDay();
    int hour = 0, minute = 0, second = 0;
    if (withDate) {
        year = field();
        month = field();
        day = field();
    }
    if (withTime) {
        hour = field();
        minute = field();
        second = field();
    }
    if (month < 1 || month > 12 || day < 1 || day > wxDateTime::GetNumberOfDays(
                                                        wxDateTime::Month(month - 1), year))
        return false;
    if (hour > 23 || minute > 59 || second > 59)
        return false;
    stamp.when.Set(wxDateTime::wxDateTime_t(day), wxDateTime::Month(month - 1), year,
                   wxDateTime::wxDateTime_t(hour), wxDateTime::wxDateTime_t(minute),
                   wxDateTime::wxDateTime_t(second));
    stamp.hasDate = withDate;
    stamp.hasTime = withTime;
    return true;
}

// Whether the stamp names a moment between the two clock readings around the call.
bool WithinReadings(const Stamp& s, const wxDateTime& before, const wxDateTime& after)
{
    if (s.hasDate && s.hasTime)
        return !s.when.IsEarlierThan(before) && !s.when.IsLaterThan(after);
    if (s.hasDate)
        return s.when.IsSameDate(before) || s.when.IsSameDate(after);
    // Time only: compare the time of day with either reading's.
    for (const wxDateTime& r : {before, after}) {
        if (s.when.GetHour() == r.GetHour() && s.when.GetMinute() == r.GetMinute() &&
            s.when.GetSecond() == r.GetSecond())
            return true;
    }
    return false;
}

struct StampCase {
    bool withTime;
    bool withDate;
};

const StampCase kStampCases[] = {{true, true}, {false, true}, {true, false}};

TEST(UniqueFileName, StampsWithTheLocalDateBeforeTheTime)
{
    for (const StampCase& c : kStampCases) {
        SCOPED_TRACE(testing::Message() << "time " << c.withTime << ", date " << c.withDate);
        TempFolder tmp;
        const wxString folder = tmp.Path() + DirHelper::GetSeparator();

        const wxDateTime before = wxDateTime::Now();
        const wxString result =
            DirHelper::UniqueFileName(wxT("run.log"), folder, c.withTime, c.withDate);
        const wxDateTime after = wxDateTime::Now();

        ASSERT_TRUE(result.StartsWith(folder)) << Std(result);
        Stamp stamp;
        ASSERT_TRUE(ParseStamp(result.Mid(folder.length()), c.withDate, c.withTime, stamp))
            << Std(result);
        EXPECT_TRUE(WithinReadings(stamp, before, after))
            << Std(result) << " read between " << Std(before.FormatISOCombined(' ')) << " and "
            << Std(after.FormatISOCombined(' '));
    }
}

TEST(UniqueFileName, TakenStampedNameGetsTheFirstNumber)
{
    TempFolder tmp;
    const wxString folder = tmp.Path() + DirHelper::GetSeparator();
    // Two calls in the same second give the same stamp; retry when a second boundary
    // falls between them.
    for (int attempt = 0; attempt < 5; ++attempt) {
        const wxString first = DirHelper::UniqueFileName(wxT("run.log"), folder, true, true);
        ASSERT_TRUE(first.EndsWith(wxT(".log")));
        std::ofstream(Std(first)) << "x";
        const wxString second = DirHelper::UniqueFileName(wxT("run.log"), folder, true, true);
        const wxString stem = first.Left(first.length() - 4);
        if (second.StartsWith(stem)) {
            EXPECT_EQ(second, stem + wxT("-0.log"));
            return;
        }
    }
    FAIL() << "the clock moved on between every pair of calls";
}

} // namespace
