#include "results/refusal_detail.h"

#include <gtest/gtest.h>

namespace pelk {
namespace {

TEST(refusal_detail, names_the_line_what_is_wrong_and_quotes_it) {
    const std::pair<LineFault, const char *> cases[] = {
        {LineFault::NoTab, "Ligne 7 : pas de tabulation entre la date et la valeur\n« x\ty »"},
        {LineFault::NotADate, "Ligne 7 : la date n'est pas lisible\n« x\ty »"},
        {LineFault::NotANumber, "Ligne 7 : la valeur n'est pas un nombre\n« x\ty »"},
        {LineFault::LineTooLong, "Ligne 7 : ligne trop longue\n« x\ty »"},
        {LineFault::TooManyReadings, "Ligne 7 : plus de 1\u00A0000\u00A0000 relevés\n« x\ty »"},
    };
    ReadResult read;
    read.status = ReadResult::Status::BadFormat;
    read.lineNumber = 7;
    read.lineText = "x\ty";
    for (const auto &[fault, detail] : cases) {
        read.fault = fault;
        EXPECT_EQ(RefusalDetail(read), detail);
    }
    EXPECT_EQ(RefusalDetail(ReadResult{}), ""); // a file loaded
}

} // namespace
} // namespace pelk
