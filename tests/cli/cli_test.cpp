// The montemex command-line tool, run as a user runs it.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cmath>
#include <cstdio>
#include <sstream>
#include <string>

#include "literal.hpp"

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

bool contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// `open` nested calls of double( around `inner`.
std::string nested(int open, const std::string& inner)
{
    std::string text;
    for (int k = 0; k < open; ++k) text += "double(";
    return text + inner + std::string(static_cast<std::size_t>(open), ')');
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
    EXPECT_EQ(runTool("waitdraw '[1 2'").status, 2);
    EXPECT_EQ(runTool("--bogus").status, 2);
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
        EXPECT_EQ(run.out, "psivalue: Cannot load 'psivalue': '" + dir + "/psivalue.mexa64' was not built for this host: " +
                               c.reason + "\n");
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
