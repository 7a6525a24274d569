// Whether response headers forbid showing a page in a frame of a local page.
#include <gtest/gtest.h>

#include "net/FramingCheck.h"

TEST(FramingCheck, HeadersThatForbidFramingAndHeadersThatDoNot) {
    struct Case {
        HeaderList headers;
        FramingVerdict expected;
    };
    const Case cases[] = {
        {{}, FramingVerdict::Allowed},
        {{{"X-Frame-Options", "DENY"}}, FramingVerdict::Forbidden},
        {{{"x-frame-options", "sameorigin"}}, FramingVerdict::Forbidden},
        {{{"X-Frame-Options", "ALLOW-FROM https://a.example/"}}, FramingVerdict::Forbidden},
        {{{"X-Frame-Options", "SAMEORIGIN, SAMEORIGIN"}}, FramingVerdict::Forbidden},
        {{{"X-Frame-Options", "ALLOWALL"}}, FramingVerdict::Allowed},  // browsers ignore unknown values
        {{{"Content-Security-Policy", "default-src 'self'; FRAME-ANCESTORS 'none'"}}, FramingVerdict::Forbidden},
        {{{"Content-Security-Policy", "frame-ancestors https://*.example.com"}}, FramingVerdict::Forbidden},
        {{{"Content-Security-Policy", "frame-ancestors\t*"}}, FramingVerdict::Allowed},
        {{{"Content-Security-Policy", "script-src 'self'"}, {"Content-Security-Policy", "frame-ancestors 'self'"}},
         FramingVerdict::Forbidden},
        {{{"Content-Security-Policy", "img-src *, frame-ancestors 'self'"}}, FramingVerdict::Forbidden},
        {{{"Content-Security-Policy", "default-src 'none'; img-src *"}}, FramingVerdict::Allowed},
        {{{"Content-Security-Policy-Report-Only", "frame-ancestors 'none'"}}, FramingVerdict::Allowed},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FramingFromHeaders(c.headers), c.expected)
            << (c.headers.empty() ? "" : c.headers.back().first + ": " + c.headers.back().second);
    EXPECT_EQ(CheckFraming("file:///etc/passwd", {}), FramingVerdict::Unknown);
}
