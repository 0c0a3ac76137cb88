// drawGammaBatch against drawGamma drawing one variate at a time from the same scripted block, and
// quickLog against its error bound.
#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <random>
#include <vector>

#include "gamma_batch.hpp"
#include "quick_log.hpp"
#include "same_values.hpp"

using montemex::test::sameBits;
using namespace montemex;

namespace {

const double kInf = INFINITY;
const double kNaN = NAN;

// An attempt every shape rejects (a candidate below 0, or one both tests turn down), and one every
// shape accepts (u = 1/2 gives the candidate b itself).
const double kRejectedU = 0.3, kRejectedV = 0.999;

// drawGamma's source over a block: past its end it gives 1/2 and counts on, so that a draw that
// needs more than the block shows.
struct BlockSource {
    const std::vector<double>& numbers;
    std::size_t used = 0;
    bool gaveUp = false;
    double uniform() { return used < numbers.size() ? numbers[used++] : (++used, 0.5); }
    void rejectionLimitReached() { gaveUp = true; }
};

// The batch over `block` must give what drawGamma gives from it, variate by variate, use the same
// numbers, and stop early only where drawGamma would need more than the block or give up. The
// portable copy of the batch must give the same as the one chosen for this processor.
void expectBatchAsSerial(double a, const std::vector<double>& block, std::size_t wanted)
{
    std::vector<double> out(wanted + 1);
    const GammaBatch batch = drawGammaBatch(block.data(), block.size(), a, out.data(), wanted);
    ASSERT_LE(batch.variates, wanted);
    std::vector<double> portable(wanted + 1);
    const GammaBatch other = detail::drawGammaBatchPortable(block.data(), block.size(), a, portable.data(), wanted);
    ASSERT_EQ(other.variates, batch.variates);
    ASSERT_EQ(other.uniformsUsed, batch.uniformsUsed);
    for (std::size_t k = 0; k < batch.variates; ++k) ASSERT_TRUE(sameBits(portable[k], out[k])) << a << ", " << k;
    BlockSource serial{block};
    for (std::size_t k = 0; k < batch.variates; ++k) {
        const double g = drawGamma(serial, a);
        ASSERT_TRUE(sameBits(g, out[k])) << "shape " << a << ", variate " << k << ": " << g << " vs " << out[k];
    }
    ASSERT_EQ(serial.used, batch.uniformsUsed) << "shape " << a;
    ASSERT_FALSE(serial.gaveUp);
    if (batch.variates < wanted && block.size() >= 64) {
        drawGamma(serial, a);
        EXPECT_TRUE(serial.used > block.size() || serial.gaveUp)
            << "shape " << a << " stopped early at " << batch.variates;
    }
}

// u such that attempt (u, v) lies on the edge of the exact test for shape a: v solves
// 2 (b ln(x / b) - y) = ln(64 w^3 v^2), where quickLog cannot decide and std::log must.
double edgeOfExactTest(double a, double u)
{
    const double b = a - 1.0, c = 3.0 * a - 0.75;
    const double w = u * (1.0 - u);
    const double y = std::sqrt(c / w) * (u - 0.5);
    const double x = b + y;
    const double lhs = 2.0 * (b * std::log(x / b) - y);
    return std::sqrt(std::exp(lhs) / (64.0 * w * w * w));
}

// A block of random uniforms with, every few dozen attempts, a run of rejected attempts of random
// length (some longer than a tile), attempts on the edge of the exact test, and a run that ends
// at the block's end.
std::vector<double> scriptedBlock(double a, std::size_t count, std::mt19937_64& engine)
{
    std::uniform_real_distribution<double> uniform(0x1p-53, 1.0 - 0x1p-53);
    std::vector<double> block(count);
    for (double& u : block) u = uniform(engine);
    const double shape = a <= 1.0 ? a + 1.0 : a;  // of the rejection method
    auto rejectRun = [&](std::size_t at, std::size_t attempts) {
        for (std::size_t k = at; k + 1 < count && k < at + 2 * attempts; k += 2) {
            block[k] = kRejectedU;
            block[k + 1] = kRejectedV;
        }
    };
    const std::size_t lengths[] = {1, 2, 3, 40, 255, 256, 257, 600};
    for (std::size_t at = engine() % 64; at < count; at += 20 + engine() % 100) {
        if (engine() % 3 == 0) {
            const std::size_t run = lengths[engine() % 8];
            rejectRun(at, run);
            at += 2 * run;
        } else if (at + 1 < count) {
            const double u = 0.05 + 0.9 * uniform(engine);
            const double v = edgeOfExactTest(shape, u);
            if (v > 0.0 && v < 1.0) {
                block[at] = u;
                block[at + 1] = engine() % 2 == 0 ? v : std::nextafter(v, engine() % 2 == 0 ? 0.0 : 1.0);
            }
        }
    }
    rejectRun(count - 2 * (engine() % (count / 4)) - 2, 600);
    return block;
}

}  // namespace

TEST(GammaBatch, GivesDrawGammasVariatesAndNumbersOnBothPaths)
{
    std::mt19937_64 engine(20260101);
    // Rejection path (two uniforms per attempt) and boost path (one more per variate).
    for (double a : {1.00001, 1.25, 2.5, 4.0, 100.0, 1e10, 0.00001, 0.25, 0.999, 1.0}) {
        // The scripted runs rely on this attempt being rejected.
        const std::vector<double> attempt = {kRejectedU, kRejectedV};
        BlockSource rejected{attempt};
        detail::drawGammaByRejection(rejected, a <= 1.0 ? a + 1.0 : a);
        ASSERT_GT(rejected.used, 2u) << a;
        for (std::size_t count : {64, 65, 513, 1024, 5000, 20001}) {
            const std::vector<double> block = scriptedBlock(a, count, engine);
            expectBatchAsSerial(a, block, count);
            expectBatchAsSerial(a, block, 1 + engine() % 50);
        }
    }
}

TEST(GammaBatch, StopsBeforeAVariateThatDrawGammaGivesUpOn)
{
    // 10000 rejected attempts in a row after five variates: drawGamma gives up on the sixth; the
    // batch draws the five, whether the run lies in the block or reaches past it.
    for (double a : {4.0, 0.25}) {
        std::vector<double> block(10, 0.5);
        for (long k = 0; k < kMaxGammaAttempts; ++k) {
            block.push_back(kRejectedU);
            block.push_back(kRejectedV);
        }
        block.resize(block.size() + 20, 0.5);
        for (std::size_t count : {block.size(), block.size() - 30}) {
            const std::vector<double> part(block.begin(), block.begin() + static_cast<long>(count));
            expectBatchAsSerial(a, part, 100);
            std::vector<double> out(100);
            EXPECT_EQ(drawGammaBatch(part.data(), part.size(), a, out.data(), 100).variates, a > 1.0 ? 5u : 3u);
        }
    }
}

TEST(GammaBatch, LeavesOtherShapesAndShortBlocksToDrawGamma)
{
    const std::vector<double> block(200, 0.5);
    double out[200];
    for (double a : {kNaN, -1.0, 0.0, 1e-6, 1.000005, 0x1p1020, kInf}) {
        EXPECT_FALSE(hasGammaBatch(a)) << a;
        EXPECT_EQ(drawGammaBatch(block.data(), block.size(), a, out, 100).variates, 0u) << a;
    }
    EXPECT_EQ(drawGammaBatch(block.data(), 63, 4.0, out, 100).variates, 0u);
    EXPECT_EQ(drawGammaBatch(block.data(), 200, 4.0, out, 0).uniformsUsed, 0u);
    EXPECT_EQ(drawGammaBatch(block.data(), 200, 4.0, out, 100).variates, 100u);
}

TEST(QuickLog, StaysWithinItsBoundAndRefusesWhatItCannotTake)
{
    std::mt19937_64 engine(7);
    std::uniform_real_distribution<double> unit(-0.5, 0.5);
    double worst = 0.0;
    double previous = 2.0;
    for (int k = 0; k < 400000; ++k) {
        // Anywhere in the range, and close to 1 and to sqrt(2) (where the reduction switches).
        const double step = std::ldexp(unit(engine), -static_cast<int>(engine() % 53));
        const double t = k % 3 == 0 ? std::ldexp(1.0 + unit(engine) + 0.5, static_cast<int>(engine() % 2044) - 1021)
                         : k % 3 == 1
                             ? 1.0 + step
                             : std::sqrt(2.0) * (1.0 + step) * std::ldexp(1.0, static_cast<int>(engine() % 9) - 4);
        const double exact = std::log(t);
        const double error = std::fabs(quickLog(t) - exact);
        ASSERT_LE(error, kQuickLogError * std::fabs(exact)) << t;
        if (exact != 0.0) worst = std::max(worst, error / std::fabs(exact));
        double first, second;  // quickLogPair, with the t before as its partner
        quickLogPair(t, previous, first, second);
        ASSERT_LE(std::fabs(first - exact), kQuickLogError * std::fabs(exact)) << t;
        ASSERT_LE(std::fabs(second - std::log(previous)), kQuickLogError * std::fabs(std::log(previous))) << previous;
        previous = t;
    }
    EXPECT_GT(worst, kQuickLogError / 16);  // the bound is not loose by orders of magnitude
    EXPECT_EQ(quickLog(1.0), 0.0);
    for (double t : {0.0, -0.0, -1.0, 0x1p-1023, 4.9e-324, kInf, kNaN}) {
        EXPECT_TRUE(std::isnan(quickLog(t))) << t;
        double first, second;
        quickLogPair(t, 2.0, first, second);
        EXPECT_TRUE(std::isnan(first) && !std::isnan(second)) << t;
    }
    EXPECT_FALSE(std::isnan(quickLog(DBL_MIN)));
    EXPECT_FALSE(std::isnan(quickLog(DBL_MAX)));
}
