// Documents' URIs and host paths, both ways.
#include <gtest/gtest.h>

#include "lsp/uri.h"

namespace {

TEST(LspUri, PathsAndUris) {
    struct Case {
        const char* uri;
        const char* path; // "" where the URI names no local file
    };
    const Case cases[] = {
        {"file:///rooms/r100.main.c", "/rooms/r100.main.c"},
        {"file:///my%20rooms/%C3%A9t%C3%A9.c", "/my rooms/été.c"},
        {"file://localhost/a.c", "/a.c"},
        {"file://server/share/a.c", ""},
        {"untitled:Untitled-1", ""},
        {"file:///bad%zz.c", "/bad%zz.c"},
    };
    for (const Case& c : cases) EXPECT_EQ(quillon::lsp::PathOfUri(c.uri), c.path) << c.uri;
    for (const char* path : {"/rooms/r100.main.c", "/my rooms/été.c", "/a#b?c%d.c"})
        EXPECT_EQ(quillon::lsp::PathOfUri(quillon::lsp::UriOfPath(path)), path);
    EXPECT_EQ(quillon::lsp::UriOfPath("/my rooms/a.c"), "file:///my%20rooms/a.c");
}

} // namespace
