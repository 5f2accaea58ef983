#include "core/HostSort.h"
#include "verify/AddressForms.h"

#include <gtest/gtest.h>

using namespace quillon::verify;
using quillon::core::AddressSortKey;

TEST(AddressField, groupsWithBlanks_giveEachForm)
{
    const std::string field = "192168  1 10"; // 192, 168, "  1", " 10"
    EXPECT_EQ(ParseAddressField(field, AddressForm::Full), "192.168.1.10");
    EXPECT_EQ(ParseAddressField(field, AddressForm::FirstThree), "192.168.1");
    EXPECT_EQ(ParseAddressField(field, AddressForm::LastOctet), "10");
    EXPECT_EQ(ParseAddressField(field, AddressForm::RawPrefix), "192168  1");
    EXPECT_EQ(ParseAddressField("007000000001", AddressForm::Full), "7.0.0.1");
}

TEST(AddressField, emptyOrLargeGroup_isInvalidInEveryForm)
{
    for (const char* field : { "192168  1", "192168     1", "256000000001", "001002003999", "" }) {
        for (const auto form : { AddressForm::Full, AddressForm::FirstThree, AddressForm::LastOctet,
                                 AddressForm::RawPrefix })
            EXPECT_EQ(ParseAddressField(field, form), "") << field;
    }
}

TEST(AddressField, blankBetweenDigits_isAConversionError)
{
    try {
        ParseAddressField("1 2000000001", AddressForm::Full);
        FAIL() << "no error";
    } catch (const ConversionError& e) {
        EXPECT_STREQ(e.what(), "'1 2' is not a valid integer value");
    }
}

TEST(AddressSortKey, padsEachOctetToThreeDigits)
{
    EXPECT_EQ(AddressSortKey("10.0.0.1"), "010000000001");
    EXPECT_EQ(AddressSortKey("192.168.1.10"), "192168001010");
    EXPECT_EQ(AddressSortKey(""), "000000000000");
    EXPECT_EQ(AddressSortKey("0"), "000000000000");
    EXPECT_LT(AddressSortKey("9.0.0.1"), AddressSortKey("10.0.0.1"));
    EXPECT_EQ(AddressSortKey("1.2"), "001002000000");
    EXPECT_EQ(AddressSortKey("1234.5.6.7.8"), "1230050067.8"); // the fourth part is all after the third dot
}
