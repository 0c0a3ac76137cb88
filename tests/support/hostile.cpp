#include "hostile.hpp"

#include <cfloat>
#include <cmath>
#include <initializer_list>

namespace montemex::test {

namespace {

Array numeric(std::initializer_list<mwSize> dims, mxClassID classId, mxComplexity complexity = mxREAL)
{
    std::vector<mwSize> d(dims);
    return Array(mxCreateNumericArray(static_cast<mwSize>(d.size()), d.data(), classId, complexity));
}

std::vector<Array> makePool()
{
    std::vector<Array> pool;
    for (double v : {double(NAN),
                     double(INFINITY),
                     -double(INFINITY),
                     -0.0,
                     0.0,
                     -7.5,
                     1.0,
                     2.0,
                     2.5,
                     3.0,
                     5.0,
                     18.0,
                     150.0,
                     1e300,
                     1e-300,
                     5e-324,
                     1e-7,
                     2147483647.0,
                     -1e300,
                     -DBL_MAX,
                     -9007199254740996.0,
                     -4503599627370495.5,
                     -65536.5}) {
        pool.push_back(makeScalar(v));
    }
    pool.push_back(makeMatrix(0, 0, {}));
    pool.push_back(makeMatrix(0, 3, {}));
    pool.push_back(makeMatrix(3, 0, {}));
    pool.push_back(makeMatrix(3, 1, {NAN, 1, INFINITY}));
    pool.push_back(makeMatrix(2, 3, {1, 2, 3, 4, 5, 6}));
    pool.push_back(makeMatrix(2, 3, {1, NAN, INFINITY, -4, 1e-7, 1e300}));
    pool.push_back(makeMatrix(2, 2, {-INFINITY, NAN, -3e15 - 0.5, 1.5e-8}));
    pool.push_back(makeRow({50, NAN, -1}));
    for (const std::vector<double>& w : std::vector<std::vector<double>>{{0, 0},
                                                                         {1, 1, -1},
                                                                         {1, -(1 - 0x1p-52)},
                                                                         {1e308, 1e308, -1e308},
                                                                         {1e308, 1e308, 1e308},
                                                                         {-1, -2, -3},
                                                                         {NAN, 1, 2},
                                                                         {INFINITY, 1},
                                                                         {-INFINITY, 1, 2},
                                                                         {1, -1},
                                                                         {0, -0.0},
                                                                         {5, -5, 1},
                                                                         {0x1p-1074, 0x1p-1074},
                                                                         {1, 2, 3, INFINITY, -INFINITY}}) {
        pool.push_back(makeRow(w));
    }
    std::vector<double> mixed(200);
    for (std::size_t i = 0; i < mixed.size(); ++i) mixed[i] = (i % 3 == 0 ? -1.0 : 1.0) * (0.2 + 0.01 * double(i % 17));
    pool.push_back(makeMatrix(20, 10, mixed));
    pool.push_back(numeric({2, 3, 2}, mxDOUBLE_CLASS));
    pool.push_back(numeric({2, 3, 0}, mxDOUBLE_CLASS));
    pool.push_back(numeric({1000, 1000, 0}, mxDOUBLE_CLASS));
    pool.push_back(numeric({2, 3, 0}, mxSINGLE_CLASS));
    pool.push_back(numeric({3, 1, 0}, mxDOUBLE_CLASS));
    pool.push_back(numeric({1, 3, 2}, mxSINGLE_CLASS));
    pool.push_back(numeric({1, 1, 5}, mxUINT8_CLASS));
    pool.push_back(numeric({1, 1, 4}, mxSINGLE_CLASS));
    pool.push_back(Array(mxCreateDoubleMatrix(1, 1, mxCOMPLEX)));
    pool.push_back(Array(mxCreateDoubleMatrix(3, 1, mxCOMPLEX)));
    pool.push_back(Array(mxCreateSparse(3, 3, 1, mxREAL)));
    pool.push_back(Array(mxCreateSparse(3, 1, 1, mxREAL)));
    pool.push_back(Array(mxCreateString("abc")));
    pool.push_back(Array(mxCreateCellMatrix(1, 2)));
    pool.push_back(Array(mxCreateStructMatrix(1, 1, 0, nullptr)));
    pool.push_back(Array(mxCreateLogicalMatrix(2, 3)));
    pool.push_back(Array(mxCreateLogicalScalar(true)));
    pool.push_back(numeric({2, 3}, mxINT8_CLASS));
    pool.push_back(numeric({3, 1}, mxUINT8_CLASS));
    pool.push_back(numeric({3, 1}, mxUINT16_CLASS));
    pool.push_back(numeric({3, 1}, mxINT64_CLASS));
    pool.push_back(numeric({1, 2}, mxSINGLE_CLASS));
    pool.push_back(numeric({1, 5}, mxUINT8_CLASS));
    return pool;
}

void callOnce(Build build, const std::string& name, int nlhs, const std::vector<const mxArray*>& args,
              const Sweep& sweep)
{
    CallResult result = callModule(build, name, nlhs, args);
    if (!result.ok) {
        EXPECT_FALSE(result.message.empty()) << name;
        return;
    }
    EXPECT_EQ(result.stats.arraysReclaimed, 0u) << name;
    EXPECT_EQ(result.stats.blocksReclaimed, 0u) << name;
    if (sweep.check) sweep.check(result);
}

}  // namespace

const std::vector<Array>& hostilePool()
{
    static const std::vector<Array> pool = makePool();
    return pool;
}

std::size_t sweepHostile(Build build, const std::string& name, const Sweep& sweep)
{
    Host host;
    host.setMaxElements(std::size_t(1) << 20);
    const std::vector<Array>& pool = hostilePool();
    const std::size_t n = pool.size();
    std::size_t calls = 0;
    for (int nlhs = 0; nlhs <= sweep.maxOutputs; ++nlhs) {
        for (int nrhs = 0; nrhs <= sweep.maxArgs; ++nrhs) {
            for (int position = 0; position < nrhs; ++position) {
                for (std::size_t entry = 0; entry < n; ++entry) {
                    std::vector<const mxArray*> args(static_cast<std::size_t>(nrhs));
                    for (std::size_t q = 0; q < args.size(); ++q) {
                        const std::size_t partner = (entry * (q + 1) + 7 * q + nlhs + position) % n;
                        const bool useFiller = sweep.filler != nullptr && (entry + q) % 3 != 0;
                        args[q] = useFiller ? sweep.filler : pool[partner].get();
                    }
                    args[static_cast<std::size_t>(position)] = pool[entry].get();
                    callOnce(build, name, nlhs, args, sweep);
                    ++calls;
                }
            }
        }
    }
    for (std::size_t a = 0; a < n && sweep.maxArgs >= 2; ++a) {
        for (std::size_t b = 0; b < n; ++b) {
            callOnce(build, name, 1, {pool[a].get(), pool[b].get()}, sweep);
            ++calls;
        }
    }
    host.setMaxElements(std::size_t(1) << 28);
    return calls;
}

}  // namespace montemex::test
