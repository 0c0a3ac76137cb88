// psivalue and squashfn with every class, shape and count of arguments and outputs: each call ends
// (the very negative digamma arguments included), with a result or a message, and never misuses
// the host.
#include <cfloat>
#include <cmath>

#include "module_test.hpp"

using namespace montemex;
using namespace montemex::test;

TEST(SpecialFunctions, HostileArgumentListsNeverMisuseTheHost)
{
    std::vector<Array> pool;
    for (double value : std::initializer_list<double>{NAN, INFINITY, -INFINITY, -0.0, -7.5, -1e300, -DBL_MAX, -9007199254740996.0,
                         -4503599627370495.5, -65536.5, 5.0, 18.0, 1e300})
        pool.push_back(makeScalar(value));
    pool.push_back(makeMatrix(0, 0, {}));
    pool.push_back(makeMatrix(0, 3, {}));
    pool.push_back(makeMatrix(2, 2, {-INFINITY, NAN, -3e15 - 0.5, 1.5e-8}));
    pool.push_back(Array(mxCreateDoubleMatrix(1, 1, mxCOMPLEX)));
    pool.push_back(Array(mxCreateSparse(3, 3, 1, mxREAL)));
    pool.push_back(Array(mxCreateString("abc")));
    pool.push_back(Array(mxCreateCellMatrix(1, 2)));
    pool.push_back(Array(mxCreateStructMatrix(1, 1, 0, nullptr)));
    pool.push_back(Array(mxCreateLogicalMatrix(2, 3)));
    pool.push_back(Array(mxCreateNumericMatrix(3, 1, mxINT64_CLASS, mxREAL)));
    pool.push_back(Array(mxCreateNumericMatrix(1, 2, mxSINGLE_CLASS, mxREAL)));
    mwSize dims[3] = {2, 3, 2};
    pool.push_back(Array(mxCreateNumericArray(3, dims, mxDOUBLE_CLASS, mxREAL)));
    mwSize flat[3] = {1, 1, 5};
    pool.push_back(Array(mxCreateNumericArray(3, flat, mxUINT8_CLASS, mxREAL)));

    const std::pair<Build, const char*> modules[] = {
        {Build::Current, "psivalue"}, {Build::Current, "squashfn"}, {Build::Legacy, "squashfn"}};
    std::size_t calls = 0, results = 0;
    for (const auto& [build, name] : modules) {
        for (int nlhs = 0; nlhs <= 3; ++nlhs) {
            for (std::size_t a = 0; a < pool.size(); ++a) {
                for (std::size_t b = 0; b < pool.size(); b += 3) {
                    for (int nrhs = 0; nrhs <= 3; ++nrhs) {
                        std::vector<const mxArray*> args = {pool[a].get(), pool[b].get(), pool[0].get()};
                        args.resize(static_cast<std::size_t>(nrhs));
                        CallResult result = callModule(build, name, nlhs, args);
                        ++calls;
                        if (result.ok) {
                            ++results;
                            EXPECT_EQ(result.stats.hostCalls, 0u);
                            EXPECT_EQ(result.stats.arraysReclaimed, 0u);
                            EXPECT_EQ(result.stats.blocksReclaimed, 0u);
                        } else {
                            EXPECT_FALSE(result.message.empty());
                        }
                    }
                }
            }
        }
    }
    EXPECT_GT(calls, 3000u);
    EXPECT_GT(results, 300u);
}
