#include "command_line.h"

#include <cctype>
#include <fstream>
#include <set>

#include "arc_error.h"
#include "file_io.h"
#include "korvalen/archiver_api.h"
#include "safe_path.h"

namespace korvalen::archivers {
namespace {

constexpr std::streamsize kMaxResponseFile = 16 << 20;

[[noreturn]] void bad(const std::string& why) {
    throw ArcError(ARC_ERR_BAD_COMMAND, "コマンドを解釈できません: " + why);
}

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// Switches each library acts on. Anything else is refused rather than
// ignored: a switch that silently did nothing could make a caller believe
// an archive holds what it does not.
//   LHA: a (take hidden files for wildcards), c (compare time stamps on
//   update), m/n (messages and progress window: this library shows none),
//   p (keep folder names), x (extract into stored folders), jso/jse
//   (name checks on packing and extracting: this library always checks).
const std::set<std::string> kLhaSwitches = {"a", "c", "m", "n", "p", "x", "jso", "jse"};
//   CAB: i (no progress window), o (overwrite), j (extract without folders), q (quiet).
const std::set<std::string> kCabSwitches = {"i", "o", "j", "q"};

void readResponseFile(const std::string& path, std::vector<std::string>& names) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw ArcError(ARC_ERR_FILE_OPEN, "レスポンスファイルを開けません: " + path);
    std::string text;
    char buf[1 << 16];
    while (in.read(buf, sizeof buf) || in.gcount() > 0) {
        text.append(buf, static_cast<size_t>(in.gcount()));
        if (text.size() > static_cast<size_t>(kMaxResponseFile)) bad("レスポンスファイルが大きすぎます: " + path);
    }
    for (auto& t : tokenize(text)) names.push_back(std::move(t));
}

// Archive, folder and names from the tokens after the switches.
void takeOperands(const std::vector<std::string>& tokens, size_t i, CommandLine& cl) {
    if (i >= tokens.size()) bad("書庫名がありません");
    cl.archive = tokens[i++];
    if (i < tokens.size() && !tokens[i].empty() && tokens[i][0] != '@' && isSeparator(tokens[i].back()))
        cl.folder = tokens[i++];
    for (; i < tokens.size(); ++i) {
        if (tokens[i][0] == '@') {
            if (tokens[i].size() == 1) bad("レスポンスファイル名がありません");
            readResponseFile(tokens[i].substr(1), cl.names);
        } else {
            cl.names.push_back(tokens[i]);
        }
    }
}

// "-jso1" -> ("jso", 1); "-x" -> ("x", 1).
void parseNumberSwitch(const std::string& token, const std::set<std::string>& known, CommandLine& cl) {
    size_t k = 1;
    while (k < token.size() && std::isalpha(static_cast<unsigned char>(token[k]))) ++k;
    const std::string name = lowerAscii(token.substr(1, k - 1));
    int value = 1;
    if (k < token.size()) {
        const std::string digits = token.substr(k);
        if (digits.size() > 9 || digits.find_first_not_of("0123456789") != std::string::npos)
            bad("スイッチの値が不正です: " + token);
        value = std::stoi(digits);
    }
    if (name.empty() || !known.count(name)) bad("未対応のスイッチです: " + token);
    cl.switches[name] = value;
}

}  // namespace

std::vector<std::string> tokenize(std::string_view text) {
    std::vector<std::string> tokens;
    size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && isBlank(text[i])) ++i;
        if (i >= text.size()) break;
        std::string token;
        bool quoted = false;
        bool sawQuote = false;
        while (i < text.size() && (quoted || !isBlank(text[i]))) {
            if (text[i] == '"') {
                quoted = !quoted;
                sawQuote = true;
            } else {
                token += text[i];
            }
            ++i;
        }
        if (quoted) bad("引用符が閉じていません");
        // An empty quoted token carries nothing; the bridge writes one for an
        // empty list entry.
        if (!token.empty() || !sawQuote) tokens.push_back(std::move(token));
    }
    return tokens;
}

namespace {

// What tells the two libraries' texts apart.
struct Dialect {
    std::set<std::string> commands;  // as written, lower case
    const std::set<std::string>& switches;
    bool plusToken;  // LHA's "-+" (ignore stored defaults: there are none here)
};
const Dialect kLha{{"u", "x", "l", "t"}, kLhaSwitches, true};
const Dialect kCab{{"-a", "-x", "-l", "-t"}, kCabSwitches, false};

CommandLine parseWith(std::string_view text, const Dialect& d, bool withCommand) {
    const auto tokens = tokenize(text);
    CommandLine cl;
    size_t i = 0;
    if (withCommand) {
        if (tokens.empty()) bad("コマンドがありません");
        const std::string cmd = lowerAscii(tokens[0]);
        if (!d.commands.count(cmd)) bad("未対応のコマンドです: " + tokens[0]);
        cl.command = cmd[0] == '-' ? cmd.substr(1) : cmd;
        i = 1;
    } else {
        cl.command = "mem";
    }
    for (; i < tokens.size() && tokens[i].size() > 1 && tokens[i][0] == '-'; ++i) {
        if (d.plusToken && tokens[i] == "-+") continue;
        parseNumberSwitch(tokens[i], d.switches, cl);
    }
    takeOperands(tokens, i, cl);
    return cl;
}

}  // namespace

CommandLine parseLhaCommand(std::string_view text) { return parseWith(text, kLha, true); }
CommandLine parseCabCommand(std::string_view text) { return parseWith(text, kCab, true); }
CommandLine parseMemoryCommand(std::string_view text, bool lha) { return parseWith(text, lha ? kLha : kCab, false); }

}  // namespace korvalen::archivers
