// psivalue and squashfn with every class, shape and count of arguments and outputs: each call ends
// (the very negative digamma arguments included), with a result or a message, and never misuses
// the host.
#include "hostile.hpp"
#include "module_test.hpp"

using namespace montemex;
using namespace montemex::test;

TEST(SpecialFunctions, HostileArgumentListsNeverMisuseTheHost)
{
    Sweep sweep(3);
    sweep.check = [](const CallResult& result) { EXPECT_EQ(result.stats.hostCalls, 0u); };
    std::size_t calls = sweepHostile(Build::Current, "psivalue", sweep);
    for (Build build : {Build::Current, Build::Legacy}) calls += sweepHostile(build, "squashfn", sweep);
    EXPECT_GT(calls, 10000u);
}
