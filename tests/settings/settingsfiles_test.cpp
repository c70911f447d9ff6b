#include "settings/settingsfiles.h"

#include <csignal>

#include <sys/resource.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "settings/listfile.h"
#include "tempfolder.h"

namespace {

constexpr std::string_view kFirstRunSettingsFile = "7\r\n1\r\n1\r\n-1\r\nTarnwick v1.3\r\n0\r\n10\r\n30\r\n";

class SettingsFilesTest : public ::testing::Test {
protected:
    // Loads the settings the way the dialog does when it is created.
    ProjectSettings load() const
    {
        ProjectSettings settings;
        LoadSettings(settings, m_folder.path());
        return settings;
    }

    TempFolder m_folder;
};

TEST_F(SettingsFilesTest, FirstRunWithoutFiles)
{
    const ProjectSettings settings = load();
    EXPECT_EQ(settings.connectionsIndex, 7);
    EXPECT_EQ(settings.connections(), 20);
    EXPECT_EQ(settings.httpVersionIndex, 1);
    EXPECT_EQ(settings.httpVersion(), "1.1");
    EXPECT_EQ(settings.userAgentPreset, 1);
    EXPECT_EQ(kUserAgentPresets[1].name, "Google");
    EXPECT_TRUE(settings.customUserAgentOn);
    EXPECT_EQ(settings.customUserAgent, "Tarnwick v1.3");
    EXPECT_EQ(settings.userAgent(), "Tarnwick v1.3");
    EXPECT_EQ(settings.maxRedirections, 10);
    EXPECT_EQ(settings.timeoutSeconds, 30);
    EXPECT_EQ(settings.summary(), "Using 20 streams; HTTP version: 1.1; Timeout: 30sec; User Agent: Tarnwick v1.3; ");
    EXPECT_EQ(m_folder.entryCount(), 0u) << "loading writes nothing";
}

TEST_F(SettingsFilesTest, OkOnFirstRunWritesTheThreeFiles)
{
    ProjectSettings settings = load();
    ConfirmSettings(settings, RawHeaderGeometry{}, m_folder.path());

    EXPECT_EQ(m_folder.read("settings.dat"), kFirstRunSettingsFile);
    const std::vector<std::string> filter = LoadListFromFile(m_folder / "filter.dat");
    ASSERT_EQ(filter.size(), 21u);
    for (size_t i = 0; i < filter.size(); ++i)
        EXPECT_EQ(filter[i], i == 2 ? "2.5" : "") << "line " << i + 1;
    EXPECT_EQ(m_folder.read("filter.dat").size(), 21u * 2 + 3) << "CR LF after each line";
    EXPECT_EQ(m_folder.read("settings2.dat"), "571\r\n196\r\n379\r\n296\r\n0\r\n");
    EXPECT_EQ(settings.summary(), "Using 20 streams; HTTP version: 1.1; Timeout: 30sec; User Agent: Tarnwick v1.3; ");
    EXPECT_EQ(m_folder.entryCount(), 3u);
}

TEST_F(SettingsFilesTest, ExistingFilterFileIsWrittenBackAsRead)
{
    const std::string cases[] = {
        "a\r\nb\r\n\r\nd\r\ne\r\n", // five lines
        "",                         // no lines
    };
    for (const std::string& content : cases) {
        SCOPED_TRACE(content);
        m_folder.write("filter.dat", content);
        ProjectSettings settings = load();
        ConfirmSettings(settings, RawHeaderGeometry{}, m_folder.path());
        EXPECT_EQ(m_folder.read("filter.dat"), content);
    }
    // Other line ends are read as line ends and come back as CR LF, the lines themselves kept.
    m_folder.write("filter.dat", "x\ny\rz");
    ProjectSettings settings = load();
    SaveSettings(settings, RawHeaderGeometry{}, m_folder.path());
    EXPECT_EQ(m_folder.read("filter.dat"), "x\r\ny\r\nz\r\n");
}

TEST_F(SettingsFilesTest, EmptiedCustomTextTurnsCustomOffOnOk)
{
    ProjectSettings settings = load();
    settings.userAgentPreset = 12;
    settings.customUserAgent.clear();
    ConfirmSettings(settings, RawHeaderGeometry{}, m_folder.path());

    EXPECT_FALSE(settings.customUserAgentOn);
    EXPECT_EQ(settings.customUserAgent, "Tarnwick v1.3");
    EXPECT_EQ(settings.userAgent(), kUserAgentPresets[12].text);
    EXPECT_EQ(m_folder.read("settings.dat"), "7\r\n1\r\n12\r\n0\r\nTarnwick v1.3\r\n0\r\n10\r\n30\r\n");
}

TEST_F(SettingsFilesTest, ChangedValuesSurviveOkAndLoad)
{
    ProjectSettings settings = load();
    settings.connectionsIndex = 0;
    settings.httpVersionIndex = 0;
    settings.userAgentPreset = 9; // "IE9"
    settings.customUserAgentOn = false;
    settings.customUserAgent = "Kept while off";
    settings.maxRedirections = 100;
    settings.timeoutSeconds = 180;
    ConfirmSettings(settings, RawHeaderGeometry{}, m_folder.path());

    const ProjectSettings loaded = load();
    EXPECT_EQ(loaded.connections(), 1);
    EXPECT_EQ(loaded.httpVersion(), "1.0");
    EXPECT_EQ(loaded.userAgent(), "Mozilla/5.0 (Windows; U; MSIE 9.0; WIndows NT 9.0; en-US))");
    EXPECT_EQ(loaded.customUserAgent, "Kept while off");
    EXPECT_EQ(loaded.maxRedirections, 100);
    EXPECT_EQ(loaded.timeoutSeconds, 180);
    EXPECT_EQ(loaded.summary(), "Using 1 streams; HTTP version: 1.0; Timeout: 180sec; User Agent: "
                                "Mozilla/5.0 (Windows; U; MSIE 9.0; WIndows NT 9.0; en-US)); ");
}

TEST_F(SettingsFilesTest, LineBreaksInCustomTextCannotSplitTheFile)
{
    ProjectSettings settings = load();
    settings.customUserAgent = "Agent\r\nX-Injected: 1";
    ConfirmSettings(settings, RawHeaderGeometry{}, m_folder.path());
    EXPECT_EQ(LoadListFromFile(m_folder / "settings.dat").size(), 8u);
    EXPECT_EQ(settings.userAgent(), "AgentX-Injected: 1");
}

TEST_F(SettingsFilesTest, CancelKeepsWhatNoFileHolds)
{
    ProjectSettings settings = load();
    ConfirmSettings(settings, RawHeaderGeometry{}, m_folder.path());
    settings.exclusionsOn = true;
    settings.exclusions = {"/private/"};
    settings.maxLengthOn = true;
    settings.maxLength = 300;
    settings.timeoutSeconds = 99;
    LoadSettings(settings, m_folder.path()); // "Cancel"
    EXPECT_TRUE(settings.exclusionsOn);
    EXPECT_EQ(settings.exclusions, std::vector<std::string>{"/private/"});
    EXPECT_TRUE(settings.maxLengthOn);
    EXPECT_EQ(settings.maxLength, 300);
    EXPECT_EQ(settings.timeoutSeconds, 30);
}

TEST_F(SettingsFilesTest, ReservedLineIsWrittenBackUnchanged)
{
    m_folder.write("settings.dat", "7\r\n1\r\n1\r\n-1\r\nTarnwick v1.3\r\n-42\r\n10\r\n30\r\n");
    m_folder.write("filter.dat", "only\r\ntwo\r\n");
    ProjectSettings settings = load();
    EXPECT_EQ(settings.reserved, -42);
    ConfirmSettings(settings, RawHeaderGeometry{}, m_folder.path());
    EXPECT_EQ(m_folder.read("settings.dat"), "7\r\n1\r\n1\r\n-1\r\nTarnwick v1.3\r\n-42\r\n10\r\n30\r\n");
    EXPECT_EQ(m_folder.read("filter.dat"), "only\r\ntwo\r\n");
}

// Every malformed settings.dat loads without an error: bad or missing lines take their defaults,
// values outside a control's range the nearest allowed value, and the good lines still count.
TEST_F(SettingsFilesTest, MalformedSettingsFileFallsBackLineByLine)
{
    struct Case {
        const char* name;
        std::string content;
        int connections;
        std::string httpVersion;
        int preset;
        bool customOn;
        std::string customText;
        int reserved;
        int maxRedirections;
        int timeout;
    } const cases[] = {
        {"empty file: all defaults", "", 20, "1.1", 1, true, "Tarnwick v1.3", 0, 10, 30},
        {"three lines: the rest default", "0\r\n0\r\n9\r\n", 1, "1.0", 9, true, "Tarnwick v1.3", 0, 10, 30},
        {"words where numbers belong", "many\r\nfast\r\n3\r\nmaybe\r\nUA\r\nx\r\nten\r\n3O\r\n", 20, "1.1", 3, true,
         "UA", 0, 10, 30},
        {"out of range above", "12\r\n2\r\n15\r\n0\r\nUA\r\n0\r\n101\r\n181\r\n", 40, "1.1", 14, false, "UA", 0,
         100, 180},
        {"out of range below", "-1\r\n-1\r\n-1\r\n0\r\nUA\r\n0\r\n0\r\n-5\r\n", 1, "1.0", 0, false, "UA", 0, 1, 1},
        {"number too big for an int", "99999999999\r\n1\r\n1\r\n0\r\nUA\r\n99999999999\r\n10\r\n30\r\n", 20, "1.1",
         1, false, "UA", 0, 10, 30},
        {"CR-only line ends", "4\r0\r5\r0\rUA\r0\r7\r20\r", 5, "1.0", 5, false, "UA", 0, 7, 20},
        {"LF-only line ends, no final end", "4\n0\n5\nTrue\nUA\n3\n7\n20", 5, "1.0", 5, true, "UA", 3, 7, 20},
        {"booleans as words and integers", "7\r\n1\r\n1\r\nfalse\r\nUA\r\n0\r\n10\r\n30\r\n", 20, "1.1", 1, false,
         "UA", 0, 10, 30},
        {"blanks around numbers", " 8 \r\n\t1\r\n+2\r\n 5 \r\n UA \r\n0\r\n10\r\n30\r\n", 25, "1.1", 2, true, " UA ",
         0, 10, 30},
        {"empty custom text: custom off", "7\r\n1\r\n6\r\n-1\r\n\r\n0\r\n10\r\n30\r\n", 20, "1.1", 6, false,
         "Tarnwick v1.3", 0, 10, 30},
        {"extra lines ignored", "7\r\n1\r\n1\r\n0\r\nUA\r\n0\r\n10\r\n30\r\nmore\r\n", 20, "1.1", 1, false, "UA", 0,
         10, 30},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        m_folder.write("settings.dat", c.content);
        ProjectSettings settings;
        settings.timeoutSeconds = 77; // a missing line takes the default, not what the model held
        ASSERT_NO_THROW(LoadSettings(settings, m_folder.path()));
        EXPECT_EQ(settings.connections(), c.connections);
        EXPECT_EQ(settings.httpVersion(), c.httpVersion);
        EXPECT_EQ(settings.userAgentPreset, c.preset);
        EXPECT_EQ(settings.customUserAgentOn, c.customOn);
        EXPECT_EQ(settings.customUserAgent, c.customText);
        EXPECT_EQ(settings.reserved, c.reserved);
        EXPECT_EQ(settings.maxRedirections, c.maxRedirections);
        EXPECT_EQ(settings.timeoutSeconds, c.timeout);
        // Whatever was read, the next save writes a well-formed file again.
        SaveSettings(settings, RawHeaderGeometry{}, m_folder.path());
        EXPECT_EQ(LoadListFromFile(m_folder / "settings.dat").size(), 8u);
    }
}

TEST_F(SettingsFilesTest, UnreadableSettingsFilesLoadDefaults)
{
    std::filesystem::create_directory(m_folder / "settings.dat"); // exists, cannot be read
    std::filesystem::create_directory(m_folder / "filter.dat");
    std::filesystem::create_directory(m_folder / "settings2.dat");
    ProjectSettings settings;
    ASSERT_NO_THROW(LoadSettings(settings, m_folder.path()));
    EXPECT_EQ(settings.summary(), "Using 20 streams; HTTP version: 1.1; Timeout: 30sec; User Agent: Tarnwick v1.3; ");
    EXPECT_EQ(settings.reservedList, ProjectSettings::defaultReservedList());
    EXPECT_EQ(LoadRawHeaderGeometry(m_folder.path()), RawHeaderGeometry{});
}

TEST_F(SettingsFilesTest, RawHeaderGeometryRoundTrip)
{
    EXPECT_EQ(LoadRawHeaderGeometry(m_folder.path()), RawHeaderGeometry{}) << "missing file: built-in, hidden";

    const RawHeaderGeometry geometry{-1200, 40, 640, 480, true};
    SaveRawHeaderGeometry(geometry, m_folder.path());
    EXPECT_EQ(m_folder.read("settings2.dat"), "-1200\r\n40\r\n640\r\n480\r\n-1\r\n");
    EXPECT_EQ(LoadRawHeaderGeometry(m_folder.path()), geometry);
}

TEST_F(SettingsFilesTest, MalformedRawHeaderGeometry)
{
    struct Case {
        const char* name;
        std::string content;
        RawHeaderGeometry expected;
    } const cases[] = {
        {"empty file", "", {}},
        {"two lines", "10\r\n20\r\n", {10, 20, 379, 296, false}},
        {"words", "left\r\n20\r\nwide\r\n300\r\nyes\r\n", {571, 20, 379, 300, false}},
        {"below the window's minimum size", "0\r\n0\r\n5\r\n-3\r\n0\r\n", {0, 0, 200, 200, false}},
        {"shown as True", "1\r2\r300\r400\rTRUE", {1, 2, 300, 400, true}},
        {"shown as other integer", "1\n2\n300\n400\n7\n", {1, 2, 300, 400, true}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        m_folder.write("settings2.dat", c.content);
        EXPECT_EQ(LoadRawHeaderGeometry(m_folder.path()), c.expected);
    }
}

TEST_F(SettingsFilesTest, SaveIntoImpossibleFolderReportsError)
{
    m_folder.write("plain", "x");
    const std::filesystem::path folder = m_folder / "plain"; // a file, so nothing can go in it
    ProjectSettings settings;
    try {
        SaveSettings(settings, RawHeaderGeometry{}, folder);
        FAIL() << "no error";
    } catch (const FileError& e) {
        EXPECT_EQ(std::string(e.what()),
                  "Cannot create file \"" + (folder / "settings.dat").string() + "\". Not a directory");
    }
}

// A failed save leaves the old files whole; the file size limit makes every write fail, also for
// the super-user, whom an unwritable folder would not stop.
TEST_F(SettingsFilesTest, FailedSaveKeepsOldFiles)
{
    ProjectSettings settings = load();
    ConfirmSettings(settings, RawHeaderGeometry{}, m_folder.path());
    settings.timeoutSeconds = 5;

    rlimit previous{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &previous), 0);
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit tiny = previous;
    tiny.rlim_cur = 4;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &tiny), 0);
    bool failed = false;
    try {
        SaveSettings(settings, RawHeaderGeometry{}, m_folder.path());
    } catch (const FileError&) {
        failed = true;
    }
    ::setrlimit(RLIMIT_FSIZE, &previous);
    std::signal(SIGXFSZ, previousHandler);

    EXPECT_TRUE(failed);
    EXPECT_EQ(m_folder.read("settings.dat"), kFirstRunSettingsFile);
    EXPECT_EQ(LoadListFromFile(m_folder / "filter.dat").size(), 21u);
    EXPECT_EQ(m_folder.read("settings2.dat"), "571\r\n196\r\n379\r\n296\r\n0\r\n");
    EXPECT_EQ(m_folder.entryCount(), 3u);
}

TEST_F(SettingsFilesTest, UnwritableFolderKeepsOldFilesAndSavesNothingElse)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "permission bits do not bind the super-user";
    ProjectSettings settings = load();
    ConfirmSettings(settings, RawHeaderGeometry{}, m_folder.path());
    std::filesystem::permissions(m_folder.path(),
                                 std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
    settings.timeoutSeconds = 5;
    EXPECT_THROW(SaveSettings(settings, RawHeaderGeometry{}, m_folder.path()), FileError);
    EXPECT_EQ(m_folder.read("settings.dat"), kFirstRunSettingsFile);
}

TEST(SettingsValues, BooleansAndIntegers)
{
    struct BoolCase {
        std::string_view text;
        std::optional<bool> value;
    } const bools[] = {
        {"-1", true}, {"0", false}, {"1", true}, {"42", true}, {"True", true}, {"FALSE", false},
        {"tRuE", true}, {" 0 ", false},
        {"", std::nullopt},     // nothing is not a boolean
        {"yes", std::nullopt},  // only the two words count
        {"1.0", std::nullopt},  // not an integer
        {"Truth", std::nullopt} // a word that merely starts like one
    };
    for (const BoolCase& c : bools) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(ParseBoolText(c.text), c.value);
    }
    EXPECT_EQ(BoolText(true), "-1");
    EXPECT_EQ(BoolText(false), "0");

    struct IntCase {
        std::string_view text;
        std::optional<int> value;
    } const ints[] = {
        {"0", 0}, {"-2147483648", -2147483647 - 1}, {"2147483647", 2147483647}, {"+5", 5}, {"\t12 ", 12},
        {"2147483648", std::nullopt}, // does not fit
        {"12a", std::nullopt},        // trailing rubbish
        {"- 1", std::nullopt},        // sign apart from its digits
        {"+-1", std::nullopt},        // two signs
        {"0x10", std::nullopt},       // decimal only
    };
    for (const IntCase& c : ints) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(ParseIntText(c.text), c.value);
    }
}

} // namespace
