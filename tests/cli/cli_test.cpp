// The montemex command-line tool, run as a user runs it.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "help_file.hpp"
#include "literal.hpp"
#include "options.hpp"

namespace {

struct ToolRun {
    int status = -1;
    std::string out;
};

// Runs the tool with `arguments` (shell words); standard error is folded into the output unless
// `errors` redirects it.
ToolRun runTool(const std::string& arguments, const std::string& errors = "2>&1")
{
    std::string command = std::string(MONTEMEX_TOOL) + " " + arguments + " " + errors;
    ToolRun run;
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) return run;
    char buffer[4096];
    std::size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) run.out.append(buffer, n);
    int status = pclose(pipe);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

bool contains(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

// `open` nested calls of double( around `inner`.
std::string nested(int open, const std::string& inner)
{
    std::string text;
    for (int k = 0; k < open; ++k) text += "double(";
    return text + inner + std::string(static_cast<std::size_t>(open), ')');
}

// The example command lines of a text: the lines after `heading` up to the first blank line (or
// closing code fence) that start with `prefix`, with the prefix left out.
std::vector<std::string> examples(const std::string& text, const std::string& heading, const std::string& prefix)
{
    std::vector<std::string> found;
    std::istringstream lines(text.substr(text.find(heading)));
    std::string line;
    std::getline(lines, line);
    while (std::getline(lines, line) && !line.empty() && line != "```") {
        std::size_t start = line.find_first_not_of(' ');
        if (start != std::string::npos && line.compare(start, prefix.size(), prefix) == 0) {
            found.push_back(line.substr(start + prefix.size()));
        }
    }
    return found;
}

}  // namespace

TEST(Cli, PrintsAMatrixAndIsReproducibleUnderASeed)
{
    ToolRun first = runTool("waitdraw 2 3 4 --seed 7");
    ToolRun second = runTool("--seed 7 waitdraw 2 3 4");
    EXPECT_EQ(first.status, 0);
    EXPECT_EQ(first.out, second.out);
    EXPECT_EQ(first.out.rfind("ans =\n\n", 0), 0u) << first.out;
    std::istringstream lines(first.out);
    std::string line;
    int rows = 0;
    while (std::getline(lines, line)) {
        std::istringstream words(line);
        double value;
        int cols = 0;
        while (words >> value) ++cols;
        if (cols > 0) {
            EXPECT_EQ(cols, 4) << line;
            ++rows;
        }
    }
    EXPECT_EQ(rows, 3);
    EXPECT_NE(runTool("waitdraw 2 3 4 --seed 8").out, first.out);
}

TEST(Cli, CsvGivesFullPrecisionRows)
{
    ToolRun csv = runTool("waitdraw 1 2 3 --seed 1 --csv");
    EXPECT_EQ(csv.status, 0);
    std::istringstream lines(csv.out);
    std::string line;
    int rows = 0;
    while (std::getline(lines, line)) {
        ++rows;
        std::size_t commas = 0;
        for (char c : line) commas += c == ',';
        EXPECT_EQ(commas, 2u) << line;
        EXPECT_GT(std::stod(line), 0.0);
    }
    EXPECT_EQ(rows, 2);
}

TEST(Cli, ModuleErrorsGoToStandardErrorWithStatusOne)
{
    ToolRun mismatch = runTool("waitdraw '[1 2; 3 4]' 3 5", "2>/dev/null");
    EXPECT_EQ(mismatch.status, 1);
    EXPECT_EQ(mismatch.out, "");
    ToolRun message = runTool("waitdraw 1 2");
    EXPECT_EQ(message.out, "waitdraw: Wrong number of input arguments.\n");
    EXPECT_EQ(runTool("nosuchfunction 1").status, 1);
    // Larger than the memory rule allows: refused at once, with the module's own message.
    EXPECT_TRUE(contains(runTool("shapedraw 3 8 3e9 1").out, "shapedraw: This call needs 24 GB of memory at once"));
    // Ctrl-C ends a long call at its next interrupt check.
    ToolRun interrupted = runTool(
        "shapedraw 3 8 5000 5000 >/dev/null 2>&1 & pid=$!; sleep 0.5; kill -INT $pid; wait $pid; "
        "echo status $?; : ");
    EXPECT_EQ(interrupted.out, "status 1\n");
    // A result the limit allows but the host cannot make (more than a container holds; on 64-bit
    // builds also more than the allocator gives) once ended the tool in std::terminate.
    std::vector<std::string> impossible = {sizeof(void*) == 8 ? "1.2e9 1e9" : "2e4 2e4"};
#ifndef __SANITIZE_ADDRESS__  // AddressSanitizer ends the process where an allocation fails
    if (sizeof(void*) == 8) impossible.push_back("1e9 1e9");
#endif
    setenv("MONTEMEX_MEMORY_LIMIT", "1e300", 1);
    for (const std::string& sizes : impossible) {
        ToolRun run = runTool("shapedraw 3 8 " + sizes);
        EXPECT_EQ(run.status, 1) << sizes;
        EXPECT_EQ(run.out, "shapedraw: Out of memory.\n") << sizes;
    }
    unsetenv("MONTEMEX_MEMORY_LIMIT");
    // Messages name what went wrong, and warnings the function, as errors do.
    EXPECT_EQ(runTool("''").out, "montemex: the function name is empty (montemex --list shows the functions).\n");
    ToolRun noLegacy = runTool("studentdraw 3 --legacy");
    EXPECT_EQ(noLegacy.status, 1);
    EXPECT_EQ(noLegacy.out,
              "montemex: studentdraw has no legacy build (montemex --list --legacy shows those that have one).\n");
    EXPECT_EQ(
        runTool("plainpick '[0 0]'", "2>&1 >/dev/null").out,
        "warning: plainpick: The weights do not have a positive finite total, so the result is no resample of them.\n");
}

TEST(Cli, RefusesAModuleFileShorterThanItsHeadersSay)
{
    // A copy cut short at any length once ended the tool with SIGBUS inside the system loader.
    std::ifstream source(std::string(MONTEMEX_FOREIGN_DIR) + "/../current/waitdraw.mexa64", std::ios::binary);
    const std::string whole((std::istreambuf_iterator<char>(source)), std::istreambuf_iterator<char>());
    ASSERT_GT(whole.size(), 20000u);
    char dir[] = "/tmp/montemex-truncated-XXXXXX";
    ASSERT_NE(mkdtemp(dir), nullptr);
    const std::string file = std::string(dir) + "/waitdraw.mexa64";
    std::vector<std::size_t> lengths = {1, whole.size() - 1};
    for (std::size_t n = 0; n < whole.size(); n += 997) lengths.push_back(n);
    for (std::size_t n : lengths) {
        std::ofstream(file, std::ios::binary | std::ios::trunc).write(whole.data(), static_cast<std::streamsize>(n));
        ToolRun run = runTool("waitdraw 1 --path " + std::string(dir));
        EXPECT_EQ(run.status, 1) << n;
        EXPECT_EQ(run.out.rfind("waitdraw: Cannot load 'waitdraw': '" + file + "' is truncated: ", 0), 0u)
            << n << ": " << run.out;
    }
    std::ofstream(file, std::ios::binary | std::ios::trunc) << whole;
    EXPECT_EQ(runTool("waitdraw 1 --path " + std::string(dir)).status, 0);
    std::remove(file.c_str());
    rmdir(dir);
}

TEST(Cli, OptionsFollowOneRuleAndUsageErrorsExitWithTwo)
{
    const struct {
        const char* arguments;
        int status;
        const char* output;  // part of the output
    } cases[] = {
        {"waitdraw -0.5 --seed 1", 0, "ans = -"},
        {"waitdraw -.5 --seed 1", 0, "ans = -"},
        {"waitdraw -1e3", 0, "ans = -"},
        {"waitdraw -Inf", 0, "ans = -Inf"},
        {"waitdraw -NaN", 0, "ans = NaN"},
        {"-x waitdraw 1", 2, "montemex: unknown option -x"},
        {"waitdraw 1 --bogus", 2, "unknown option --bogus"},
        {"waitdraw -Infinity", 2, "unknown option -Infinity"},
        {"waitdraw - 1", 2, "unknown option -"},
        {"--seed ' 5' waitdraw 1", 2, "--seed needs a non-negative integer"},
        {"--seed '5 ' waitdraw 1", 2, "--seed needs a non-negative integer"},
        {"--seed +5 waitdraw 1", 2, "--seed needs a non-negative integer"},
        {"--seed 4294967296 waitdraw 1", 2, "--seed needs a non-negative integer"},
        {"--nargout 17 waitdraw 1", 2, "--nargout needs a non-negative integer"},
        {"waitdraw 1 --seed", 2, "--seed needs a value"},
        {"--seed 1 --seed 2 waitdraw 1", 2, "--seed is given twice"},
        {"--csv --long waitdraw 1", 2, "--csv and --long cannot be combined"},
        {"--list --demo", 2, "--list and --demo cannot be combined"},
        {"--demo --seed 3", 2, "--seed does not apply to --demo"},
        {"--list waitdraw", 2, "--list takes no function name"},
        {"--seed 1", 2, "no function name given"},
        {"waitdraw '[1 2'", 2, "missing ']'"},
        {"--version", 0, "montemex " MONTEMEX_VERSION "\n"},
        {"", 2, "usage: montemex"},
    };
    for (const auto& c : cases) {
        ToolRun run = runTool(c.arguments);
        EXPECT_EQ(run.status, c.status) << c.arguments << ": " << run.out;
        EXPECT_TRUE(contains(run.out, c.output)) << c.arguments << ": " << run.out;
    }
    EXPECT_EQ(runTool("waitdraw -0.5 --seed 1").out, runTool("--seed 1 waitdraw '-0.5'").out);
}

TEST(Cli, NestingIsBoundedAt200Levels)
{
    using montemex::cli::parseLiteral;
    EXPECT_EQ(montemex::values(parseLiteral(nested(200, "1")).get()).size(), 1u);
    EXPECT_EQ(montemex::values(parseLiteral(nested(199, "[1 2]")).get()).size(), 2u);
    for (const std::string& text : {nested(201, "1"), nested(200, "[1]"), nested(100000, "1"), nested(100000, "")}) {
        try {
            parseLiteral(text);
            ADD_FAILURE() << "read " << text.size() << " characters";
        } catch (const montemex::cli::LiteralError& e) {
            EXPECT_TRUE(contains(e.what(), "nested more than 200 levels deep")) << e.what();
            EXPECT_LT(std::string(e.what()).size(), 200u);
        }
    }
    // The tool: an argument of at most 128 KiB.
    ToolRun deep = runTool("squashfn '" + nested(16000, "1") + "'");
    EXPECT_EQ(deep.status, 2);
    EXPECT_TRUE(contains(deep.out, "nested more than 200 levels deep")) << deep.out.substr(0, 200);
    EXPECT_TRUE(contains(runTool("squashfn 'zeros(65536, 65536, 65536, 65536)'").out, "array too large"));
}

TEST(Cli, HelpPrintsEachFunctionsHelpFile)
{
    ToolRun help = runTool("help waitdraw");
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.out.rfind("WAITDRAW  Exponential random variates with given means.\n\n   R = waitdraw(MU)", 0), 0u)
        << help.out;
    EXPECT_TRUE(contains(help.out, "\n     R = waitdraw(2, 3, 4)     % 3-by-4, mean 2\n"));
    EXPECT_EQ(help.out.substr(help.out.size() - 18), "   See also rand.\n");
    EXPECT_EQ(runTool("--help waitdraw").out, help.out);
    EXPECT_EQ(runTool("waitdraw --help").out, help.out);
    EXPECT_EQ(runTool("help").out, runTool("--help").out);
    std::istringstream names(runTool("--list").out);
    for (std::string name; std::getline(names, name);) {
        ToolRun each = runTool("help " + name);
        EXPECT_EQ(each.status, 0) << name;
        EXPECT_TRUE(contains(each.out, "Example")) << name;
    }
    for (const char* bad : {"help nosuch", "help ../inst/waitdraw", "help /etc/passwd", "help waitdraw psivalue"}) {
        ToolRun run = runTool(bad);
        EXPECT_EQ(run.status, 2) << bad;
        EXPECT_EQ(run.out.find("montemex: "), 0u) << bad << ": " << run.out;
    }
    // The functions written as m-files run in Octave and MATLAB, not here: no help that would
    // suggest otherwise, and no "Undefined function" for them either.
    for (const char* name : {"unitrun", "unitgather", "unitseed"}) {
        const std::string note = std::string("montemex: ") + name + " is an m-file for Octave and MATLAB (help " +
                                 name + " there), not a function this tool can call (montemex --list shows those).\n";
        ToolRun help = runTool(std::string("help ") + name);
        EXPECT_EQ(help.status, 2);
        EXPECT_EQ(help.out, note);
        ToolRun call = runTool(std::string(name) + " 1 2");
        EXPECT_EQ(call.status, 1);
        EXPECT_EQ(call.out, note);
    }
    std::istringstream mFile("\nfunction [a, b] = f(x)\n%F  One line.\n"), module("%F  One line.\n");
    EXPECT_TRUE(montemex::cli::isFunctionFile(mFile));
    EXPECT_FALSE(montemex::cli::isFunctionFile(module));
    // Octave's rules for a help block, beyond what our help files use.
    std::istringstream file("\n  %% two\n##  hash\n%\n%\tx\n\n% not help\n");
    EXPECT_EQ(montemex::cli::helpText(file), " two\n  hash\n\n\tx\n");
    std::istringstream functionFile("function r = f(x)\n%F  One line.\nr = x;\n");
    EXPECT_EQ(montemex::cli::helpText(functionFile), "F  One line.\n");
}

TEST(Cli, EveryExampleRuns)
{
    std::vector<std::string> lines = examples(montemex::cli::usageText(), "examples:", "montemex ");
    std::ifstream readme(std::string(MONTEMEX_SOURCE_DIR) + "/README.md");
    std::stringstream text;
    text << readme.rdbuf();
    std::string section = text.str().substr(text.str().find("## The command-line tool"));
    std::vector<std::string> readmeLines = examples(section, "```sh", "build/bin/montemex ");
    EXPECT_GE(lines.size(), 5u);
    EXPECT_GE(readmeLines.size(), 5u);
    lines.insert(lines.end(), readmeLines.begin(), readmeLines.end());
    for (const std::string& line : lines) {
        ToolRun run = runTool(line);
        EXPECT_EQ(run.status, 0) << line << ": " << run.out;
        EXPECT_FALSE(run.out.empty()) << line;
    }
}

TEST(Cli, RefusesModulesNotBuiltForThisHost)
{
    const struct {
        const char* kind;
        const char* reason;
    } cases[] = {
        {"interface", "it defines the host interface itself."},
        {"nohost", "it does not link this host's libmx and libmex."},
    };
    for (const auto& c : cases) {
        std::string dir = std::string(MONTEMEX_FOREIGN_DIR) + "/" + c.kind;
        ToolRun run = runTool("--path " + dir + " psivalue 1");
        EXPECT_EQ(run.status, 1);
        EXPECT_EQ(run.out, "psivalue: Cannot load 'psivalue': '" + dir +
                               "/psivalue.mexa64' was not built for this host: " + c.reason + "\n");
    }
    EXPECT_EQ(runTool("psivalue 1").out, "ans = -0.5772\n");
}

TEST(Cli, ListHelpAndDemo)
{
    ToolRun list = runTool("--list");
    EXPECT_EQ(list.status, 0);
    EXPECT_NE(list.out.find("waitdraw\n"), std::string::npos);
    ToolRun help = runTool("--help");
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("--seed"), std::string::npos);
    ToolRun demo = runTool("--demo");
    EXPECT_EQ(demo.status, 0);
    EXPECT_NE(demo.out.find(">> waitdraw(2, 3, 4)"), std::string::npos);
}

TEST(Cli, EveryLiteralTheHelpListsReachesAModuleAsItsValue)
{
    // Each literal of the usage text against a plain double literal of the same values, or the
    // refusal of classes the modules do not read. A logical literal once reached modules as
    // doubles made of its bytes (1.2697e-321 for true).
    const std::string refused = "squashfn: Arguments must be full real numeric or logical arrays.\n";
    const std::map<std::string, std::string> sameAs = {{"3", "[3]"},
                                                       {"-0.5", "[-0.5]"},
                                                       {"NaN", "[NaN]"},
                                                       {"Inf", "[Inf]"},
                                                       {"[1 2; 3 4]", "[1, 2; 3, 4]"},
                                                       {"[]", "zeros(0, 0)"},
                                                       {"'text'", ""},
                                                       {"int32([1 2])", "[1 2]"},
                                                       {"single(3)", "3"},
                                                       {"logical([1 0])", "[1 0]"},
                                                       {"sparse([1 0])", ""},
                                                       {"complex(1, 2)", ""},
                                                       {"zeros(2, 3, 4)", "zeros(2, 3)"},
                                                       {"cell(1, 2)", ""},
                                                       {"struct()", ""}};
    // The literals are set apart by two spaces or a line end.
    const std::string usage = montemex::cli::usageText();
    const std::size_t first = usage.find("literals: ") + 10;
    std::string listed = usage.substr(first, usage.find("\n(quote") - first) + "  ";
    for (std::size_t at; (at = listed.find('\n')) != std::string::npos;) listed.replace(at, 1, "  ");
    std::size_t count = 0;
    for (std::size_t start = 0, end; (end = listed.find("  ", start)) != std::string::npos; start = end + 2, ++count) {
        const std::string literal = listed.substr(start, end - start);
        ASSERT_EQ(sameAs.count(literal), 1u) << "no expectation for '" << literal << "'";
        ToolRun run = runTool("squashfn \"" + literal + "\" --csv");
        if (sameAs.at(literal).empty()) {
            EXPECT_EQ(run.status, 1) << literal;
            EXPECT_EQ(run.out, refused) << literal;
        } else {
            EXPECT_EQ(run.status, 0) << literal << ": " << run.out;
            EXPECT_EQ(run.out, runTool("squashfn '" + sameAs.at(literal) + "' --csv").out) << literal;
        }
    }
    EXPECT_EQ(count, sameAs.size());
}

TEST(Cli, LiteralsReadAsTheHostWouldWriteThem)
{
    using montemex::cli::parseLiteral;
    using montemex::values;
    using montemex::dimensions;
    montemex::Array matrix = parseLiteral("[1 2; 3 4]");
    EXPECT_EQ(values(matrix.get()), (std::vector<double>{1, 3, 2, 4}));
    EXPECT_EQ(dimensions(parseLiteral("[]").get()), (std::vector<std::size_t>{0, 0}));
    EXPECT_EQ(values(parseLiteral("-0.5").get()), (std::vector<double>{-0.5}));
    EXPECT_TRUE(std::isnan(values(parseLiteral("NaN").get())[0]));
    EXPECT_EQ(values(parseLiteral("[-Inf, 1e3 -2]").get()), (std::vector<double>{-INFINITY, 1000, -2}));
    EXPECT_EQ(mxGetClassID(parseLiteral("int32([1.5 -2.5])").get()), mxINT32_CLASS);
    EXPECT_EQ(values(parseLiteral("int32([1.5 -2.5])").get()), (std::vector<double>{2, -3}));
    EXPECT_EQ(values(parseLiteral("uint8(300)").get()), (std::vector<double>{255}));
    EXPECT_TRUE(mxIsSparse(parseLiteral("sparse([1 0 2])").get()));
    EXPECT_TRUE(mxIsComplex(parseLiteral("complex(1, 2)").get()));
    EXPECT_EQ(dimensions(parseLiteral("zeros(2, 3, 4)").get()), (std::vector<std::size_t>{2, 3, 4}));
    EXPECT_TRUE(mxIsChar(parseLiteral("'it''s'").get()));
    EXPECT_THROW(parseLiteral("[1 2; 3]"), montemex::cli::LiteralError);
    EXPECT_THROW(parseLiteral("foo(1)"), montemex::cli::LiteralError);
    EXPECT_THROW(parseLiteral("1 2"), montemex::cli::LiteralError);
}
