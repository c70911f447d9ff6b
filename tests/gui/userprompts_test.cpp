// How the menu commands' dialog settings become the toolkit's filters and file names.
#include "app/userprompts.h"

#include <gtest/gtest.h>

TEST(UserPrompts, FiltersBecomeToolkitFilters)
{
    struct Case {
        const char* filter;
        const char* expected;
    } const cases[] = {
        {"Tarnwick file|*.sitemap", "Tarnwick file (*.sitemap)"},
        {"HTML sitemap (url  in link)|*.html", "HTML sitemap (url  in link) (*.html)"},
        {"Text files|*.txt|All files|*", "Text files (*.txt);;All files (*)"},
        {"", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.filter);
        EXPECT_EQ(toolkitFilter(c.filter), c.expected);
    }
}

TEST(UserPrompts, DefaultExtensionOnlyWhenTheNameHasNone)
{
    struct Case {
        const char* path;
        const char* expected;
    } const cases[] = {
        {"/tmp/site", "/tmp/site.sitemap"},
        {"/tmp/site.sitemap", "/tmp/site.sitemap"},
        {"/tmp/site.old", "/tmp/site.old"},          // an extension of the user's own stays
        {"/tmp/v1.2/site", "/tmp/v1.2/site.sitemap"}, // a dot in a folder name is no extension
        {"/tmp/.hidden", "/tmp/.hidden.sitemap"},     // nor is the dot of a hidden file
        {"site", "site.sitemap"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(withDefaultExtension(c.path, "sitemap"), c.expected);
    }
    EXPECT_EQ(withDefaultExtension("/tmp/site", ""), "/tmp/site");
}
