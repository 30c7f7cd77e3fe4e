// The order code's advance and the digits test it relies on.
#include "model/Figure.h"
#include "solver/LoaderCommon.h"

#include <gtest/gtest.h>

#include <random>

namespace tessaro {
namespace {

int64_t bruteNext(int32_t code) {
    int64_t n = int64_t(code) + 1;
    while (fncHasDigits1to8(int32_t(n)) == 0) ++n;
    return n;
}

TEST(OrderCode, DigitsTestAgreesWithTheModel) {
    std::mt19937 rng(7);
    std::uniform_int_distribution<int32_t> any(std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max());
    for (int i = 0; i < 20000; ++i) {
        const int32_t n = i < 10000 ? 12345600 + i : any(rng);
        ASSERT_EQ(hasDigits1to8(n), fncHasDigits1to8(n) != 0) << n;
    }
    for (int32_t n : {12345678, 87654321, -12345678, 102345678, 912345678, 1002345678, 0, -1, 12345679})
        EXPECT_EQ(hasDigits1to8(n), fncHasDigits1to8(n) != 0) << n;
}

TEST(OrderCode, AdvanceMatchesCountingUp) {
    EXPECT_EQ(nextOrderCode(12345678), 12345687);
    // From each of the first few hundred codes, and from codes that are not valid.
    int32_t code = 12345678;
    for (int i = 0; i < 300; ++i) {
        const int64_t next = nextOrderCode(code);
        ASSERT_EQ(next, bruteNext(code)) << code;
        code = int32_t(next);
    }
    for (int32_t c : {87654312, 87654231, 12345679, 51234670, 87600000, -87654322, -12345679})
        EXPECT_EQ(nextOrderCode(c), bruteNext(c)) << c;
    EXPECT_EQ(nextOrderCode(0), 12345678);
    EXPECT_EQ(nextOrderCode(-5), 12345678);
    // Past the last eight-digit code the next valid one has nine digits.
    EXPECT_EQ(nextOrderCode(kLastOrderCode), 102345678);
    EXPECT_EQ(nextOrderCode(999999999), 1002345678);
    EXPECT_GT(nextOrderCode(std::numeric_limits<int32_t>::max()), int64_t(std::numeric_limits<int32_t>::max()));
}

TEST(OrderCode, ResultLineAndSumTexts) {
    Puzzle p{};
    p.GE_iRotation = {0, 1, 4, 3, 2, 5, 6, 7};
    p.G_Info_Piece[0] = {1, 0, 0};
    p.G_Info_Piece[1] = {2, 2, 3};
    p.G_Info_Piece[2] = {3, 5, 1};
    EXPECT_EQ(resultLineText(p, 1), " 0, 0, 0  1, 2, 3 ");
    EXPECT_EQ(resultLineText(p, 2), " 0, 0, 0  1, 2, 3  4, 5, 1 ");
    p.GE_iRotation[0] = -1;
    p.G_Info_Piece[0].iTurn_CtZ = -2;
    EXPECT_EQ(resultLineText(p, 0), "-1, 0,-2 ");
    EXPECT_EQ(sumText(12, 27), "12 : 27");
}

}  // namespace
}  // namespace tessaro
