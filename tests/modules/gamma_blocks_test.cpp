// The gamma family and studentdraw drawing from scripted uniforms in which most attempts are
// rejected, so that reserved blocks, refills and the runs drawn together end inside runs of
// rejected attempts: every gamma path, against drawGamma drawing one number at a time.
#include <random>

#include "module_test.hpp"
#include "sampling/gamma.hpp"
#include "sampling/student.hpp"

using namespace montemex;
using namespace montemex::test;

namespace {

// Records every uniform it gives: the queued ones first, then random ones.
struct RecordingSource {
    std::mt19937_64& engine;
    std::vector<double>& script;
    std::vector<double> queued;
    std::size_t next = 0;
    double uniform()
    {
        const double u =
            next < queued.size() ? queued[next++] : std::uniform_real_distribution<double>(0x1p-53, 1.0)(engine);
        script.push_back(u);
        return u;
    }
    double normal()  // studentdraw's draws for nu = 1, not among the cases
    {
        ADD_FAILURE() << "a normal drawn";
        return 1.0;
    }
};

// Draws element i's gamma variate for degrees of freedom v with `draw`, after putting rejected
// attempts (u = 0.3, v = 0.999 is rejected for every shape here) right after the variate's own
// uniform (boost path) or at its start: mostly a few, sometimes more than a tile's worth.
template <typename Draw>
double drawScripted(std::mt19937_64& engine, std::vector<double>& script, double v, bool rejections, Draw draw)
{
    RecordingSource source{engine, script, {}};
    const std::size_t minimum = minimumGammaUniforms(v / 2.0);
    if (minimum >= 2 && rejections) {
        if (minimum == 3) source.queued.push_back(std::uniform_real_distribution<double>(0.01, 0.99)(engine));
        const std::size_t rejected = engine() % 8 == 0 ? 200 + engine() % 200 : engine() % 30;
        for (std::size_t k = 0; k < rejected; ++k) source.queued.insert(source.queued.end(), {0.3, 0.999});
    }
    return draw(source);
}

struct Case {
    const char* name;
    std::vector<double> dof;  // one value, or one per element
    std::size_t count;
    bool rejections = true;  // scripted ones, besides those of random numbers
};

// The degrees of freedom of each gamma path, alone and in runs: 8 (rejection method), 0.5
// (boost), 2.000005 (exponential), 1e-6 (nothing drawn).
std::vector<double> runsOfEveryPath()
{
    std::vector<double> dof;
    for (int run = 0; run < 40; ++run) {
        dof.insert(dof.end(), 1 + run % 7 * 9, std::vector<double>{8, 0.5, 2.000005, 1e-6}[run % 4]);
    }
    return dof;
}

}  // namespace

TEST(GammaBlocks, RejectionsAcrossBlockEdgesAndRefillsGiveTheOneAtATimeValues)
{
    Host host;
    std::mt19937_64 engine(424242);
    const std::vector<double> paths = runsOfEveryPath();
    const std::vector<Case> cases = {
        {"shapedraw", {8}, 2000},
        {"shapedraw", {0.5}, 2000},
        {"shapedraw", {2.000005}, 500},
        {"shapedraw", {1e-6}, 50},
        {"shapedraw", paths, paths.size()},
        {"recipshapedraw", {8}, 2000},
        {"recipshapedraw", paths, paths.size()},
        {"studentdraw", {5}, 2000},
        {"studentdraw", {0.5}, 1500},
        {"studentdraw", paths, paths.size()},
        // Several full blocks of reserved uniforms.
        {"shapedraw", {8}, 600000, false},
    };
    for (const Case& c : cases) {
        const std::string name = c.name;
        const double mean = 1.5;
        std::vector<double> script, normals, expected;
        for (std::size_t i = 0; i < c.count; ++i) {
            const double v = c.dof.size() == 1 ? c.dof[0] : c.dof[i];
            if (name == "studentdraw") {
                normals.push_back(std::normal_distribution<double>()(engine));
                expected.push_back(drawScripted(engine, script, v, c.rejections, [&](RecordingSource& s) {
                    return studentFromNormal(s, normals.back(), v);
                }));
            } else {
                expected.push_back(drawScripted(engine, script, v, c.rejections, [&](RecordingSource& s) {
                    return name == "shapedraw" ? drawGammaByMean(s, mean, v) : drawInverseGammaByScale(s, mean, v);
                }));
            }
        }
        Array dof = c.dof.size() == 1 ? makeScalar(c.dof[0]) : makeMatrix(1, c.count, c.dof);
        Array first = makeScalar(mean), one = makeScalar(1), count = makeScalar(static_cast<double>(c.count));
        const std::vector<const mxArray*> args =
            name == "studentdraw" ? std::vector<const mxArray*>{dof.get(), one.get(), count.get()}
                                  : std::vector<const mxArray*>{first.get(), dof.get(), one.get(), count.get()};
        for (Build build : {Build::Current, Build::Unbuffered}) {
            if (build == Build::Unbuffered && c.count > 100000) continue;
            host.scriptUniforms(script);
            host.scriptNormals(normals);
            CallResult result = callModule(build, name, 1, args);
            ASSERT_TRUE(result.ok) << name << ", " << c.count << " elements";
            EXPECT_TRUE(sameValues(expected, outputOf(result).values)) << name << ", " << c.count << " elements";
            EXPECT_EQ(result.stats.uniformsDrawn, script.size()) << name;
        }
    }
    host.clearScripts();
}
