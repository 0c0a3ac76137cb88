#include "module_test.hpp"

namespace montemex::test {

std::string moduleDirectory(Build build)
{
    // Set by tests/CMakeLists.txt; the 32-bit Windows build's are the folders of shipped files.
    switch (build) {
    case Build::Current: return MONTEMEX_CURRENT_MODULES;
    case Build::Legacy: return MONTEMEX_LEGACY_MODULES;
    case Build::Unbuffered: return MONTEMEX_UNBUFFERED_MODULES;
    case Build::Probe: return MONTEMEX_PROBE_MODULES;
    }
    return MONTEMEX_CURRENT_MODULES;
}

CallResult callModule(Build build, const std::string& name, int nlhs, const std::vector<const mxArray*>& args)
{
    Host host;
    host.setModulePath({moduleDirectory(build)});
    CallResult result = host.call(name, nlhs, args);
    EXPECT_TRUE(result.stats.misuse.empty()) << name << " misused the host interface: " << result.stats.misuse.front();
    EXPECT_NE(result.message, "Undefined function '" + name + "'.") << "module not built";
    return result;
}

CallResult callModule(Build build, const std::string& name, int nlhs, std::initializer_list<const mxArray*> args)
{
    return callModule(build, name, nlhs, std::vector<const mxArray*>(args));
}

static std::vector<double> hostNumbers(const char* function, std::size_t count)
{
    Host host;
    Array rows = makeScalar(static_cast<double>(count));
    Array cols = makeScalar(1.0);
    CallResult result = host.callBuiltin(function, 1, {rows.get(), cols.get()});
    EXPECT_TRUE(result.ok) << result.message;
    return result.ok ? values(result.outputs[0].get()) : std::vector<double>{};
}

std::vector<double> hostUniforms(std::size_t count)
{
    return hostNumbers("rand", count);
}

std::vector<double> hostNormals(std::size_t count)
{
    return hostNumbers("randn", count);
}

Expected expectFromStream(std::uint32_t seed, std::size_t uniforms, std::size_t normals,
                          const std::function<std::vector<double>(ScriptedSource&)>& compute)
{
    Host host;
    host.seed(seed);
    ScriptedSource stream{hostUniforms(uniforms), hostNormals(normals)};
    Expected expected;
    expected.values = compute(stream);
    host.seed(seed);
    hostUniforms(stream.uniformsUsed);
    hostNormals(stream.normalsUsed);
    expected.after = host.randomState();
    host.seed(seed);
    return expected;
}

void expectError(const CallResult& result, const std::string& name, const std::string& reason,
                 const std::string& message)
{
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.message, message);
    EXPECT_EQ(result.identifier, "montemex:" + name + ":" + reason);
}

Output outputOf(const CallResult& result)
{
    Output output;
    EXPECT_TRUE(result.ok) << result.message;
    if (!result.ok || result.outputs.empty() || !result.outputs[0]) return output;
    std::vector<std::size_t> dims = dimensions(result.outputs[0].get());
    output.rows = dims[0];
    output.cols = dims[1];
    output.values = values(result.outputs[0].get());
    return output;
}

}  // namespace montemex::test
