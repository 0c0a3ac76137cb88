// How many host calls ("rand", "randn", "sort") each module makes for the small calls of a Gibbs
// sweep or a particle-filter step: the fewest that exact drawing allows.
//
// A call may fetch in one host call only numbers it is certain to use. Whenever it holds none,
// the numbers certain from there on are what is left of the group of numbers the draw in
// progress has begun (a rejection attempt's two uniforms; the boost path's own uniform with its
// first attempt's two; an exponential's one; a Student t element's one normal or uniform) and the
// first group of every later element that draws the same kind of number, up to the first element
// that draws the other kind (on hosts where "rand" and "randn" share one stream, a block must not
// reach past such a draw). Fetching all of them each time needs the fewest calls, since no host
// call can reach further. The expected counts follow that rule from the numbers each element uses
// on the host's stream (the library's draws on scripted numbers, whose values the other tests
// compare with the modules').
#include <cmath>
#include <cstdio>
#include <functional>

#include "module_test.hpp"
#include "sampling/gamma.hpp"
#include "sampling/student.hpp"

using namespace montemex;
using namespace montemex::test;

namespace {

const double kNaN = NAN;

// The groups of numbers one element draws, each certain once begun, of one kind.
struct Element {
    bool normals = false;
    std::vector<std::size_t> groups;
};

// The groups of drawGamma(shape) that used `used` uniforms.
Element gammaElement(double shape, std::size_t used)
{
    Element element;
    if (used == 0) return element;
    if (shape <= 1.0) {
        element.groups.push_back(3);  // boost: its own uniform, then one attempt for shape + 1
        used -= 3;
    } else if (shape < kExponentialGammaShape) {
        element.groups.push_back(1);
        used -= 1;
    }
    for (; used > 0; used -= 2) element.groups.push_back(2);  // an attempt of the rejection method
    return element;
}

// The fewest host calls for drawing the elements' groups in order, by the rule above.
std::size_t fewestHostCalls(const std::vector<Element>& elements)
{
    std::size_t calls = 0;
    std::size_t held = 0;
    for (std::size_t i = 0; i < elements.size(); ++i) {
        std::size_t later = 0;  // the first groups of later elements, up to one of the other kind
        for (std::size_t k = i + 1; k < elements.size(); ++k) {
            if (elements[k].groups.empty()) continue;
            if (elements[k].normals != elements[i].normals) break;
            later += elements[k].groups.front();
        }
        for (std::size_t group : elements[i].groups) {
            for (std::size_t j = 0; j < group; ++j) {
                if (held == 0) {
                    ++calls;
                    held = group - j + later;
                }
                --held;
            }
        }
    }
    EXPECT_EQ(held, 0u) << "the model fetched numbers no element used";
    return calls;
}

// The elements of a gamma-family call with these degrees of freedom, drawn from `stream`.
std::vector<Element> gammaElements(ScriptedSource& stream, const std::vector<double>& dofs)
{
    std::vector<Element> elements;
    for (double v : dofs) {
        const double shape = v / 2.0;
        const std::size_t before = stream.uniformsUsed;
        if (!isHugeGammaShape(shape)) drawGamma(stream, shape);
        elements.push_back(gammaElement(shape, stream.uniformsUsed - before));
    }
    return elements;
}

// The elements of a studentdraw call, after its block of normals (already counted as used).
std::vector<Element> studentElements(ScriptedSource& stream, const std::vector<double>& nus)
{
    std::vector<Element> elements;
    for (double nu : nus) {
        Element element;
        if (nu == 1.0) {
            element.normals = true;
            element.groups.push_back(1);
            drawNormal(stream);
        } else if (nu == 2.0) {
            element.groups.push_back(1);
            drawUniform(stream);
        } else {
            const std::size_t before = stream.uniformsUsed;
            if (!isHugeGammaShape(nu / 2.0)) drawGamma(stream, nu / 2.0);
            element = gammaElement(nu / 2.0, stream.uniformsUsed - before);
        }
        elements.push_back(element);
    }
    return elements;
}

// The fewest host calls of a call seeded with `seed`, from the elements `draw` makes of the
// host's numbers.
std::size_t fewestFromStream(std::uint32_t seed, std::size_t normalsFirst,
                             const std::function<std::vector<Element>(ScriptedSource&)>& draw)
{
    std::size_t calls = 0;
    expectFromStream(seed, 4096, 4096, [&](ScriptedSource& stream) {
        stream.normalsUsed = normalsFirst;
        calls = fewestHostCalls(draw(stream));
        return std::vector<double>{};
    });
    return calls;
}

Array arrayOf(const std::vector<double>& values)
{
    return values.size() == 1 ? makeScalar(values[0]) : makeRow(values);
}

const std::uint32_t kSeeds = 40;  // enough for every count of rejections a short call meets

}  // namespace

TEST(HostCalls, GammaFamilyFetchesEachAttemptWholeAndEveryElementsMinimumAtOnce)
{
    Host host;
    const std::vector<std::vector<double>> dofLists = {{8},
                                                       {0.6},
                                                       {2.00001},
                                                       {18},
                                                       {8, 8, 8, 8, 8, 8, 8, 8},
                                                       {0.6, 0.6, 0.6, 0.6, 0.6, 0.6, 0.6, 0.6},
                                                       {2.00001, 2.00001, 2.00001, 2.00001},
                                                       {8, 0.6, 2.00001, 0, 8, kNaN, 0.6, 8}};
    Array three = makeScalar(3);
    std::size_t calls = 0, fewest = 0, numbers = 0;
    for (const auto& dofs : dofLists) {
        Array v = arrayOf(dofs);
        const bool scalar = dofs.size() == 1;
        for (const char* name : {"shapedraw", "recipshapedraw", "shapedrawone", "recipshapedrawone"}) {
            if (!scalar && std::string(name).find("one") != std::string::npos) continue;
            for (std::uint32_t seed = 1; seed <= kSeeds; ++seed) {
                host.seed(seed);
                CallResult result = callModule(Build::Current, name, 1, {three.get(), v.get()});
                ASSERT_TRUE(result.ok) << result.message;
                const std::size_t expected =
                    fewestFromStream(seed, 0, [&](ScriptedSource& stream) { return gammaElements(stream, dofs); });
                EXPECT_EQ(result.stats.hostCalls, expected)
                    << name << ", " << dofs.size() << " elements, seed " << seed;
                calls += result.stats.hostCalls;
                fewest += expected;
                numbers += result.stats.uniformsDrawn;
            }
        }
    }
    std::printf("gamma family: %zu host calls for %zu uniforms (fewest possible: %zu)\n", calls, numbers, fewest);
}

TEST(HostCalls, StudentdrawFetchesEachElementsKindOfNumberTogether)
{
    Host host;
    const std::vector<std::vector<double>> nuLists = {{5},
                                                      {1},
                                                      {2},
                                                      {0.5},
                                                      {5, 5, 5, 5},
                                                      {1, 1, 1, 1},
                                                      {2, 2, 2, 2},
                                                      {0.5, 0.5, 0.5, 0.5},
                                                      {5, 1, 2, 0.5, 1, 5, 1e-6, 2}};
    for (const auto& nus : nuLists) {
        Array nu = arrayOf(nus);
        for (std::uint32_t seed = 1; seed <= kSeeds; ++seed) {
            host.seed(seed);
            CallResult result = callModule(Build::Current, "studentdraw", 1, {nu.get()});
            ASSERT_TRUE(result.ok) << result.message;
            // One randn call for the numerators, then the elements' own draws.
            const std::size_t expected = 1 + fewestFromStream(seed, nus.size(), [&](ScriptedSource& stream) {
                                             return studentElements(stream, nus);
                                         });
            EXPECT_EQ(result.stats.hostCalls, expected) << nus.size() << " elements from nu " << nus[0];
        }
    }
}

TEST(HostCalls, EachProposalOfTheAdaptiveRejectionSamplerIsOneHostCall)
{
    // Each proposal is certain to use three uniforms once begun, and a next one only after a
    // rejection: one host call per proposal is the fewest.
    Host host;
    const std::vector<std::vector<double>> argumentLists = {
        {1, 1, 6, 2, 8}, {1, 1, 1, 1, 1}, {2, 5, 4, 3, 20}, {1, 1000, 1, 0.2, 1e4}, {0.5, 3, 2, 7, 3}};
    std::size_t proposals = 0;
    for (const auto& a : argumentLists) {
        Array s = makeScalar(a[0]), nu0 = makeScalar(a[1]), nu = makeScalar(a[2]), h = makeScalar(a[3]);
        Array n = makeScalar(a[4]);
        for (std::uint32_t seed = 1; seed <= kSeeds; ++seed) {
            host.seed(seed);
            CallResult result =
                callModule(Build::Current, "scalehyperdraw", 1, {s.get(), nu0.get(), nu.get(), h.get(), n.get()});
            ASSERT_TRUE(result.ok) << result.message;
            EXPECT_EQ(result.stats.uniformsDrawn % 3, 0u);
            EXPECT_EQ(result.stats.hostCalls, result.stats.uniformsDrawn / 3);
            proposals += result.stats.hostCalls;
        }
    }
    EXPECT_GT(proposals, argumentLists.size() * kSeeds);  // some draws rejected a proposal
}

TEST(HostCalls, ModulesDrawingInBulkMakeOneHostCallAndTheOthersNone)
{
    Host host;
    host.seed(5);
    Array two = makeScalar(2), four = makeScalar(4), three = makeScalar(3), eight = makeScalar(8),
          fifty = makeScalar(50);
    Array five = makeRow({2, 2, 2, 2, 2}), p = makeRow({.1, .2, .3, .4}), x = makeScalar(3.5);
    std::vector<double> weights, observations;
    for (int k = 1; k <= 100; ++k) weights.push_back(1.0 + (k * 37) % 11);
    for (int k = 1; k <= 50; ++k) observations.push_back(k * 0.5);
    Array w = makeMatrix(100, 1, weights), obs = makeMatrix(50, 1, observations), one = makeScalar(1);
    struct Case {
        const char* name;
        std::vector<const mxArray*> args;
        std::size_t hostCalls;
    };
    const std::vector<Case> cases = {
        {"waitdraw", {two.get()}, 1},
        {"waitdraw", {five.get()}, 1},
        {"classdraw", {p.get()}, 1},
        {"classdraw", {p.get(), eight.get()}, 1},
        {"simplexdraw", {four.get()}, 1},
        {"simplexdraw", {four.get(), three.get()}, 1},
        {"plainpick", {w.get()}, 1},
        {"layeredpick", {w.get()}, 1},
        {"remainderpick", {w.get()}, 1},
        {"fixedpick", {w.get()}, 0},
        {"fixedpick", {one.get()}, 0},
        {"weightavgdraw", {obs.get()}, 1},
        {"weightavgdraw", {obs.get(), eight.get()}, 1},
        {"weightquantdraw", {obs.get(), fifty.get()}, 2},  // sort, rand
        {"psivalue", {x.get()}, 0},
        {"squashfn", {x.get()}, 0},
    };
    for (const Case& c : cases) {
        CallResult result = callModule(Build::Current, c.name, 1, c.args);
        ASSERT_TRUE(result.ok) << c.name << ": " << result.message;
        EXPECT_EQ(result.stats.hostCalls, c.hostCalls) << c.name;
    }
}
