#include "core/HostName.h"

#include <gtest/gtest.h>

using namespace quillon::core;

// Names from outside: ASCII letters, digits, "-", "_" and "." only. Each
// refusal names the name, with its invisible characters written out.
TEST(HostNames, onlyTheCharactersOfAHostNameAreAdmitted)
{
    for (const char* name : { "www.example.com", "_dmarc.a-b.test", "xn--bcher-kva.de", "a", "1.2.3.4" })
        EXPECT_TRUE(isAdmissibleHostName(name)) << name;
    for (const char* name : { "", "bank\xE2\x80\xAE" "moc.test", "a b", "a#b", "b\xC3\xBC" "cher.de", "[::1]", "a%41",
                              "tab\there", "a/b", "a:80" })
        EXPECT_FALSE(isAdmissibleHostName(name)) << name;
    EXPECT_EQ(hostNameRefusal("paypal\xE2\x80\x8B.test"),
              "The host name \"paypal\\u200B.test\" was refused: it holds an invisible or direction-changing character.");
    EXPECT_EQ(hostNameRefusal("b\xC3\xBC" "cher.de"),
              "The host name \"b\xC3\xBC" "cher.de\" was refused: a host name holds only ASCII letters, digits, \"-\", "
              "\"_\" and \".\".");
    EXPECT_EQ(hostNameRefusal("fine.test"), "");
    EXPECT_EQ(hostNameRefusal(""), "");
}

// Every one of the characters is written out where a view shows a name;
// the characters beside them, other UTF-8 included, stay as they are.
TEST(HostNames, invisibleAndDirectionCharactersAreShownEscaped)
{
    EXPECT_EQ(escapeInvisibleCharacters("a\xE2\x80\x8B" "b\xE2\x80\x8F" "c\xE2\x80\xA8" "d\xE2\x80\xAA" "e\xE2\x80\xAE"
                                        "f\xE2\x81\xA6" "g\xE2\x81\xA9" "h"),
              "a\\u200Bb\\u200Fc\\u2028d\\u202Ae\\u202Ef\\u2066g\\u2069h");
    // Neighbours of the ranges (U+200A, U+2010, U+2029, U+202F, U+2065,
    // U+206A) and a cut-short sequence stay as they are.
    for (const char* kept : { "\xE2\x80\x8A", "\xE2\x80\x90", "\xE2\x80\xA9", "\xE2\x80\xAF", "\xE2\x81\xA5",
                              "\xE2\x81\xAA", "b\xC3\xBC" "cher", "x\xE2\x80" })
        EXPECT_EQ(escapeInvisibleCharacters(kept), kept);
}

TEST(HostNames, theLocalhostFamily)
{
    for (const char* name : { "localhost", "LOCALHOST.", "localhost.localdomain", "localhost4", "localhost6",
                              "app.localhost", "a.b.localhost.", "ip6-localhost", "ip6-allnodes" })
        EXPECT_TRUE(isLocalhostFamilyName(name)) << name;
    for (const char* name : { "localhost.example.com", "mylocalhost", "localhost5", "ip6.example", "notlocalhost" })
        EXPECT_FALSE(isLocalhostFamilyName(name)) << name;
}
