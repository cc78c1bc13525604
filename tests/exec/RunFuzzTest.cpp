// Randomized runs: small generated trees (nested folders, names with spaces
// and dots, paths near the 260-character limit, a folder link where the
// build made one) and generated commands (every action, wildcards in file
// and folder components, rename parts, relative and absolute
// specifications, errors ignored or not) run through the recording seam in
// front of the shell's file operation. Every recorded request must keep
// these promises:
//   - each source lies under a folder a specification names, matches that
//     specification component by component, and passes through no link;
//   - each pair keeps target name = rename(source name) and lies under the
//     command's target (a rename stays in its folder);
//   - no target appears twice in one request;
//   - with FOF_MULTIDESTFILES the source and target lists are equally long;
//   - nothing crashes.
//
// Seed and count: FERROVANE_FUZZ_SEED and FERROVANE_FUZZ_COUNT in the
// environment, or the arguments --seed=N and --count=N (the arguments win).
// Without them the fixed seed 12026 runs 300 cases (the ctest entry
// exec_fuzz_runs). Case i runs with seed + i; a failing case prints its own
// seed and command, so "--seed=<that seed> --count=1" repeats just it.
#include <gtest/gtest.h>

#include <shlwapi.h>

#include <algorithm>
#include <cstdio>
#include <random>
#include <sstream>

#include "RenamePattern.h"
#include "RunnerTestSupport.h"

using Strings = std::vector<std::wstring>;

namespace
{
const unsigned DEFAULT_SEED = 12026;
const unsigned DEFAULT_COUNT = 300;

unsigned Setting(const char *variable, const wchar_t *argument, unsigned fallback)
{
    int argc = 0;
    LPWSTR *argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    const size_t length = wcslen(argument);
    for (int i = 1; argv && i < argc; ++i)
        if (wcsncmp(argv[i], argument, length) == 0)
        {
            unsigned value = static_cast<unsigned>(wcstoul(argv[i] + length, nullptr, 10));
            LocalFree(argv);
            return value;
        }
    if (argv) LocalFree(argv);
    const char *text = getenv(variable);
    return text && *text ? static_cast<unsigned>(strtoul(text, nullptr, 10)) : fallback;
}

// What the current case is, for a crash report.
std::string g_current;

LONG WINAPI ReportCrash(EXCEPTION_POINTERS *info)
{
    fprintf(stdout, "\n*** crash 0x%08lX in fuzz case:\n%s\n", info->ExceptionRecord->ExceptionCode,
            g_current.c_str());
    fflush(stdout);
    return EXCEPTION_CONTINUE_SEARCH;
}

bool Equal(const std::wstring &a, const std::wstring &b)
{
    return CompareStringOrdinal(a.c_str(), -1, b.c_str(), -1, TRUE) == CSTR_EQUAL;
}

bool Under(const std::wstring &path, const std::wstring &folder)
{
    const std::wstring prefix = execpath::AddBackslash(folder);
    return path.size() > prefix.size() &&
           CompareStringOrdinal(path.c_str(), static_cast<int>(prefix.size()), prefix.c_str(),
                                static_cast<int>(prefix.size()), TRUE) == CSTR_EQUAL;
}

Strings Components(const std::wstring &path)
{
    Strings parts;
    std::wstring rest = path;
    std::wstring head;
    if (rest.compare(0, 4, L"\\\\?\\") == 0)
    {
        head = rest.substr(0, 4);
        rest.erase(0, 4);
    }
    size_t at = 0;
    while (at <= rest.size())
    {
        size_t slash = rest.find(L'\\', at);
        if (slash == std::wstring::npos) slash = rest.size();
        if (slash > at) parts.push_back(rest.substr(at, slash - at));
        at = slash + 1;
    }
    if (!parts.empty()) parts[0] = head + parts[0];
    return parts;
}

bool NameMatches(const std::wstring &name, const std::wstring &pattern)
{
    if (!execpath::HasWildcard(pattern)) return Equal(name, pattern);
    return PathMatchSpecW(name.c_str(), pattern.c_str()) != FALSE;
}

// One generated specification, resolved the way a reader of the command
// would: absolute, without its rename part.
struct Spec
{
    std::wstring text; // as written in the command
    std::wstring path; // absolute, rename part removed, no trailing backslash
    std::wstring rename;
    bool folder = false; // ends with a backslash
    bool badRename = false;
};

struct Case
{
    unsigned seed = 0;
    DWORD action = 0;
    DWORD options = 0;
    std::wstring base;
    Strings sources;
    std::wstring target;
    std::vector<Spec> specs;
    std::wstring resolvedTarget;

    std::string Describe() const
    {
        std::ostringstream out;
        out << "  seed " << seed << " (repeat: --seed=" << seed << " --count=1)\n"
            << "  action " << action << " options 0x" << std::hex << options << std::dec << "\n"
            << "  base [" << Narrow(base) << "]\n";
        for (const std::wstring &source : sources)
            out << "  source [" << Narrow(source) << "]\n";
        out << "  target [" << Narrow(target) << "]\n";
        return out.str();
    }
};

class CGenerator
{
  public:
    explicit CGenerator(unsigned seed) : m_random(seed) {}

    size_t Pick(size_t count)
    {
        return std::uniform_int_distribution<size_t>(0, count - 1)(m_random);
    }
    bool Chance(int percent) { return static_cast<int>(Pick(100)) < percent; }
    template <class T> const T &From(const std::vector<T> &items)
    {
        return items[Pick(items.size())];
    }

    // Relative folder and file entries of a small tree below `root`.
    void Tree(const std::wstring &root, Strings &folders, Strings &files)
    {
        static const Strings folderNames = {L"a",    L"b c",  L"d.e", L"x.txt",
                                            L"2021", L"2022", L"sub", L"q r.s"};
        static const Strings fileNames = {L"a.txt", L"b.log",    L"c d.txt", L"e.f.txt",
                                          L"g.tmp", L"noext",    L"x1.txt",  L"y 2.log",
                                          L".dot",  L"h.txt.bak"};
        folders.assign(1, L"");
        const size_t count = 1 + Pick(5);
        for (size_t i = 0; i < count; ++i)
        {
            std::wstring parent = From(folders);
            std::wstring name = From(folderNames);
            std::wstring folder = parent.empty() ? name : parent + L"\\" + name;
            bool known = false;
            for (const std::wstring &f : folders)
                known = known || Equal(f, folder);
            if (!known && Components(folder).size() < 4) folders.push_back(folder);
        }
        // A chain whose paths come near the limit.
        if (Chance(30))
        {
            const size_t room = 250 - root.size();
            std::wstring longName(std::min<size_t>(room - 16 + Pick(24), 200), L'n');
            folders.push_back(longName.substr(0, longName.size() / 2));
            folders.push_back(folders.back() + L"\\" + longName.substr(longName.size() / 2));
        }
        files.clear();
        for (const std::wstring &folder : folders)
        {
            const size_t n = Pick(4);
            for (size_t i = 0; i < n; ++i)
                files.push_back((folder.empty() ? L"" : folder + L"\\") + From(fileNames));
        }
    }

    std::wstring Pattern(const std::wstring &name)
    {
        static const Strings patterns = {L"*.txt", L"*",     L"*.*", L"a*",  L"?.txt",
                                         L"*b*",   L"*.log", L"x*",  L"* *", L"*.tmp"};
        if (Chance(30) && !name.empty()) return name;
        return From(patterns);
    }

    std::wstring RenamePart(bool &bad)
    {
        static const Strings good = {L"*.bak", L"x?*",      L"~*",  L"new.txt",
                                     L"*.",    L"?~?*.old", L"z*.*"};
        static const Strings refused = {L"..\\*", L"x\\*", L"..*", L"a/b*", L"c:*"};
        bad = Chance(10);
        return bad ? From(refused) : From(good);
    }

    std::mt19937 &Random() { return m_random; }

  private:
    std::mt19937 m_random;
};

const DWORD OPTION_BITS[] = {
    OPT_SILENT,    OPT_NOCONFIRMATION, OPT_NOCONFIRMMKDIR,    OPT_NOERRORUI,
    OPT_FILESONLY, OPT_NORECURSION,    OPT_RENAMEONCOLLISION, OPT_X_IGNORE_ERRORS};

bool PassesLink(const std::wstring &path)
{
    Strings parts = Components(path);
    std::wstring walked;
    for (size_t i = 0; i + 1 < parts.size(); ++i)
    {
        walked += parts[i] + L"\\";
        if (i == 0) continue;
        DWORD attributes = GetFileAttributesW(walked.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT))
            return true;
    }
    return false;
}

// Whether `source` is something `spec` names: its folder components match
// one by one, then either the named folder's contents (a folder spec), or
// a name matching the last component found at that level or, through the
// engine's own recursion, below it.
bool Names(const Spec &spec, const std::wstring &source, bool recursion)
{
    Strings want = Components(spec.path);
    Strings have = Components(source);
    if (want.empty() || have.size() < want.size()) return false;
    for (size_t i = 0; i + 1 < want.size(); ++i)
        if (!NameMatches(have[i], want[i])) return false;
    const std::wstring &last = want.back();
    if (spec.folder) return NameMatches(have[want.size() - 1], last);
    if (have.size() == want.size())
        return NameMatches(have.back(), last) || Equal(have.back(), last);
    if (!recursion) return false;
    return NameMatches(have.back(), last);
}

class CChecker
{
  public:
    CChecker(const Case &c) : m_case(c) {}

    // Each file of `must` is a source of one of the requests.
    void AllSent(const std::vector<SentRequest> &requests, const Strings &must)
    {
        for (const std::wstring &file : must)
        {
            bool sent = false;
            for (const SentRequest &request : requests)
                for (const std::wstring &from : request.from)
                    sent = sent || Equal(from, file);
            Require(sent, L"named file never sent: " + file);
        }
    }

    void Check(const SentRequest &sent)
    {
        const UINT func = sent.func;
        Require(!sent.from.empty(), L"empty source list");
        const bool multi = (sent.flags & FOF_MULTIDESTFILES) != 0;
        if (multi) Require(sent.from.size() == sent.to.size(), L"list lengths differ");
        for (size_t i = 0; i < sent.to.size(); ++i)
            for (size_t j = i + 1; j < sent.to.size(); ++j)
                Require(!Equal(sent.to[i], sent.to[j]), L"target twice: " + sent.to[i]);
        for (size_t i = 0; i < sent.from.size(); ++i)
        {
            // A source inside a folder an earlier part moved is that
            // folder's entry followed to its new place.
            const std::wstring source = Original(sent.from[i]);
            Require(!PassesLink(source), L"source through a link: " + source);
            std::vector<const Spec *> named;
            for (const Spec &spec : m_case.specs)
                if (Names(spec, source,
                          !(m_case.options & OPT_NORECURSION) ||
                              (m_case.options & OPT_X_IGNORE_ERRORS)))
                    named.push_back(&spec);
            Require(!named.empty(), L"source no specification names: " + source);
            bool onlyBad = !named.empty();
            for (const Spec *spec : named)
                onlyBad = onlyBad && spec->badRename;
            Require(!onlyBad, L"source of a refused rename part sent: " + source);

            if (func == FO_DELETE)
            {
                Require(sent.to.empty(), L"delete with a target");
                continue;
            }
            const std::wstring name = execpath::FileNamePart(source);
            if (func == FO_RENAME)
            {
                Require(sent.to.size() == sent.from.size(), L"rename without its new name");
                if (i >= sent.to.size()) continue;
                Require(!execpath::HasWildcard(sent.to[i]),
                        L"wildcard in a new name: " + sent.to[i]);
                Require(Equal(execpath::ParentFolder(sent.to[i]), execpath::ParentFolder(source)),
                        L"rename leaves its folder: " + sent.to[i]);
                CheckName(named, source, sent.to[i], true);
                continue;
            }
            if (!multi)
            {
                // One destination folder: the command's, or for a wildcard
                // the shell expands, that wildcard's folder below it.
                Require(sent.to.size() == 1, L"no single destination");
                if (sent.to.empty()) continue;
                Require(
                    Equal(sent.to[0], m_case.resolvedTarget) ||
                        (execpath::HasWildcard(name) && Under(sent.to[0], m_case.resolvedTarget)),
                    L"destination is not the command's target: " + sent.to[0]);
                Require(!execpath::HasWildcard(sent.to[0]), L"wildcard in a target: " + sent.to[0]);
                continue;
            }
            if (i >= sent.to.size()) continue;
            const std::wstring &target = sent.to[i];
            Require(!execpath::HasWildcard(execpath::FileNamePart(target)),
                    L"wildcard in a target: " + target);
            if (execpath::HasWildcard(name))
            {
                Require(Equal(target, m_case.resolvedTarget) ||
                            Under(target, m_case.resolvedTarget),
                        L"target outside the command's: " + target);
                continue;
            }
            Require(Under(target, m_case.resolvedTarget),
                    L"target outside the command's: " + target);
            CheckName(named, source, target,
                      m_case.action == ACTION_MOVERENAME || m_case.action == ACTION_COPYRENAME);
        }
    }

    // Folders moved by this request, for the requests that follow.
    void Moved(const SentRequest &sent)
    {
        if (sent.func != FO_MOVE || !(sent.flags & FOF_MULTIDESTFILES)) return;
        for (size_t i = 0; i < sent.from.size() && i < sent.to.size(); ++i)
        {
            const std::wstring from = Original(sent.from[i]);
            const DWORD attributes = GetFileAttributesW(from.c_str());
            if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
                m_moved.emplace_back(sent.to[i], from);
        }
    }

    const std::wstring &Failures() const { return m_failures; }

  private:
    void CheckName(const std::vector<const Spec *> &named, const std::wstring &source,
                   const std::wstring &target, bool renaming)
    {
        const std::wstring name = execpath::FileNamePart(source);
        const std::wstring got = execpath::FileNamePart(target);
        const DWORD attributes = GetFileAttributesW(source.c_str());
        const bool folder =
            attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
        bool ok = false;
        for (const Spec *spec : named)
        {
            if (spec->rename.empty() || spec->badRename || folder)
                ok = ok || Equal(got, name);
            else
            {
                ok = ok || Equal(got, ApplyRenamePattern(name, spec->rename));
                if (!renaming) ok = ok || Equal(got, name);
            }
        }
        Require(ok, L"target name is not rename(source name): " + source + L" -> " + target);
    }

    std::wstring Original(const std::wstring &path) const
    {
        for (auto it = m_moved.rbegin(); it != m_moved.rend(); ++it)
            if (Equal(path, it->first) || Under(path, it->first))
                return Original(it->second + path.substr(it->first.size()));
        return path;
    }

    void Require(bool condition, const std::wstring &what)
    {
        if (!condition) m_failures += L"    " + what + L"\n";
    }

    const Case &m_case;
    std::wstring m_failures;
    std::vector<std::pair<std::wstring, std::wstring>> m_moved; // new place, old place
};

// The files a case must hand to the shell. Where every specification of a
// Move, Copy or Delete names one existing file by its path (no wildcard, no
// rename part), no two such files of a Move or Copy share a name and every
// path involved fits in MAX_PATH, nothing can stop the run before the shell
// is called: each of those files is a source sent.
// Other cases give no such list (empty), so a run that sends nothing is
// caught here and not taken for one that kept every promise.
Strings MustSend(const Case &c, const CTempTree &tree, const Strings &files)
{
    if (c.action != ACTION_MOVE && c.action != ACTION_COPY && c.action != ACTION_DELETE) return {};
    Strings must;
    for (const Spec &spec : c.specs)
    {
        const bool existing = std::any_of(files.begin(), files.end(), [&](const std::wstring &f) {
            return Equal(tree.Path(f), spec.path);
        });
        if (spec.folder || !spec.rename.empty() || execpath::HasWildcard(spec.path) || !existing ||
            spec.path.size() >= MAX_PATH)
            return {};
        if (c.action != ACTION_DELETE &&
            c.resolvedTarget.size() + 1 + execpath::FileNamePart(spec.path).size() >= MAX_PATH)
            return {};
        // Two files of one name would meet in the target folder: the run
        // sends one of them only, and which one is the runner's choice.
        for (const std::wstring &other : must)
            if (c.action != ACTION_DELETE && !Equal(other, spec.path) &&
                Equal(execpath::FileNamePart(other), execpath::FileNamePart(spec.path)))
                return {};
        must.push_back(spec.path);
    }
    return must;
}

std::wstring ReparseFixture()
{
    const char *build = getenv("FERROVANE_BUILD_DIR");
    if (!build) return std::wstring();
    std::wstring fixture = L"Z:";
    for (const char *c = build; *c; ++c)
        fixture += *c == '/' ? L'\\' : static_cast<wchar_t>(*c);
    fixture += L"\\tests\\exec\\reparse\\tree";
    DWORD link = GetFileAttributesW((fixture + L"\\link").c_str());
    if (link == INVALID_FILE_ATTRIBUTES || !(link & FILE_ATTRIBUTE_REPARSE_POINT))
        return std::wstring();
    return fixture;
}

Case MakeCase(CGenerator &g, unsigned seed, const CTempTree &tree, const Strings &folders,
              const Strings &files, const std::wstring &fixture)
{
    Case c;
    c.seed = seed;
    c.action = 1 + static_cast<DWORD>(g.Pick(6));
    c.options = QUIET;
    for (DWORD bit : OPTION_BITS)
        if (g.Chance(25)) c.options |= bit;
    c.base = tree.Root();
    if (g.Chance(25) && folders.size() > 1)
        c.base = execpath::RemoveBackslash(tree.Path(g.From(folders)));
    const bool renaming = execspec::IsRenameAction(c.action);

    const size_t count = 1 + g.Pick(3);
    for (size_t k = 0; k < count; ++k)
    {
        Spec spec;
        if (!fixture.empty() && g.Chance(8))
        {
            static const Strings inFixture = {L"\\*.tmp", L"\\*\\*.tmp", L"\\", L"\\sub\\", L"\\*"};
            spec.path = fixture + g.From(inFixture);
        }
        else
        {
            std::wstring folder = g.From(folders);
            Strings parts = Components(folder);
            // A wildcard in one folder component.
            if (!parts.empty() && g.Chance(20))
            {
                std::wstring &component = parts[g.Pick(parts.size())];
                component =
                    g.Chance(50) ? component.substr(0, 1) + L"*" : L"?" + component.substr(1);
            }
            std::wstring joined = tree.Root();
            for (const std::wstring &part : parts)
                joined += L"\\" + part;
            const size_t shape = g.Pick(4);
            if (shape == 0 && !folder.empty())
                spec.path = joined + L"\\";
            else if (shape == 1 && !files.empty())
                spec.path = tree.Path(g.From(files));
            else
            {
                std::wstring name = files.empty() ? L"" : execpath::FileNamePart(g.From(files));
                spec.path = joined + L"\\" + g.Pattern(name);
            }
        }
        spec.folder = !spec.path.empty() && spec.path.back() == L'\\';
        std::wstring written = spec.path;
        if (!spec.folder && (renaming ? g.Chance(85) : g.Chance(10)))
        {
            spec.rename = g.RenamePart(spec.badRename);
            written += L">" + spec.rename;
        }
        // Relative to the base folder where it lies below it.
        if (g.Chance(40) && Under(spec.path, c.base)) written = written.substr(c.base.size() + 1);
        spec.text = written;
        spec.path = execpath::RemoveBackslash(spec.path);
        c.sources.push_back(written);
        c.specs.push_back(spec);
    }

    if (c.action != ACTION_DELETE && c.action != ACTION_RENAME)
    {
        const size_t shape = g.Pick(4);
        if (shape == 0)
            c.target = L"out";
        else if (shape == 1)
            c.target = tree.Path(L"out\\deep");
        else if (shape == 2)
        {
            std::wstring deep = tree.Path(L"o\\");
            c.target = deep + std::wstring(230 - deep.size() + g.Pick(20), L't');
        }
        else
            c.target = tree.Path(g.From(folders) + L"\\to");
        wchar_t combined[MAX_PATH * 2] = {};
        const std::wstring absolute =
            PathIsRelativeW(c.target.c_str()) ? c.base + L"\\" + c.target : c.target;
        PathCanonicalizeW(combined, absolute.c_str());
        c.resolvedTarget = execpath::RemoveBackslash(combined);
    }
    return c;
}

// Case `caseSeed`: its tree made below `tree` (`files` its files), its
// command generated.
Case GenerateCase(unsigned caseSeed, const CTempTree &tree, const std::wstring &fixture,
                  Strings &files)
{
    CGenerator g(caseSeed);
    Strings folders;
    g.Tree(tree.Root(), folders, files);
    Strings entries;
    for (const std::wstring &folder : folders)
        if (!folder.empty()) entries.push_back(folder + L"\\");
    entries.insert(entries.end(), files.begin(), files.end());
    tree.Add(entries);
    return MakeCase(g, caseSeed, tree, folders, files, fixture);
}

bool RunCase(const Case &c)
{
    ExecCommand command = Command(c.action, c.options, c.sources, c.target);
    switch (c.action)
    {
    case ACTION_MOVE:
    case ACTION_MOVERENAME:
        return RunMove(command, c.base, nullptr);
    case ACTION_COPY:
    case ACTION_COPYRENAME:
        return RunCopy(command, c.base, nullptr);
    case ACTION_DELETE:
        return RunDelete(command, c.base, nullptr);
    default:
        return RunRename(command, c.base, nullptr);
    }
}
} // namespace

TEST(FuzzRuns, EveryRequestKeepsItsPromises)
{
    const unsigned seed = Setting("FERROVANE_FUZZ_SEED", L"--seed=", DEFAULT_SEED);
    const unsigned count = Setting("FERROVANE_FUZZ_COUNT", L"--count=", DEFAULT_COUNT);
    const std::wstring fixture = ReparseFixture();
    SetUnhandledExceptionFilter(ReportCrash);
    printf("fuzz: seed %u, %u cases%s\n", seed, count,
           fixture.empty() ? ", no link fixture" : ", with the link fixture");
    const DWORD start = GetTickCount();
    unsigned failed = 0, requests = 0, bound = 0;
    for (unsigned i = 0; i < count && failed < 5; ++i)
    {
        const unsigned caseSeed = seed + i;
        CTempTree tree;
        Strings files;
        const Case c = GenerateCase(caseSeed, tree, fixture, files);
        g_current = c.Describe();

        CRecordingShell shell;
        RunCase(c);
        CChecker checker(c);
        for (const SentRequest &sent : shell.requests)
        {
            checker.Check(sent);
            checker.Moved(sent);
        }
        const Strings must = MustSend(c, tree, files);
        checker.AllSent(shell.requests, must);
        if (!must.empty()) ++bound;
        requests += static_cast<unsigned>(shell.requests.size());
        if (!checker.Failures().empty())
        {
            ++failed;
            std::string sentText;
            for (const SentRequest &sent : shell.requests)
            {
                sentText += "  request " + std::to_string(sent.func) + " flags " +
                            std::to_string(sent.flags) + "\n";
                for (const std::wstring &from : sent.from)
                    sentText += "    from [" + Narrow(from) + "]\n";
                for (const std::wstring &to : sent.to)
                    sentText += "    to   [" + Narrow(to) + "]\n";
            }
            ADD_FAILURE() << "fuzz case failed:\n"
                          << c.Describe() << Narrow(checker.Failures()) << sentText;
        }
    }
    g_current.clear();
    printf("fuzz: %u requests checked in %lu ms, %u cases with files that must be sent\n", requests,
           GetTickCount() - start, bound);
    // Generated commands mostly name files that are there: a run of many
    // cases that sends nothing at all has stopped working.
    if (count >= 50)
    {
        EXPECT_GT(requests, count / 4);
    }
}

// The preview's plan of every generated command equals what its run sends:
// the plan is made first (it changes nothing), then the run goes through
// the recording seam.
TEST(FuzzRuns, PlanEqualsWhatTheRunSends)
{
    const unsigned seed = Setting("FERROVANE_FUZZ_SEED", L"--seed=", DEFAULT_SEED);
    const unsigned count = Setting("FERROVANE_FUZZ_COUNT", L"--count=", DEFAULT_COUNT);
    const std::wstring fixture = ReparseFixture();
    unsigned failed = 0, requests = 0;
    for (unsigned i = 0; i < count && failed < 5; ++i)
    {
        const unsigned caseSeed = seed + i;
        CTempTree tree;
        Strings files;
        const Case c = GenerateCase(caseSeed, tree, fixture, files);
        g_current = c.Describe();

        ExecPlan plan;
        CRecordingShell shell;
        const bool planned =
            PlanCommand(Command(c.action, c.options, c.sources, c.target), c.base, plan);
        const size_t sentByPlan = shell.requests.size();
        const bool ran = RunCase(c);
        requests += static_cast<unsigned>(shell.requests.size());

        bool same = sentByPlan == 0 && planned == ran && plan.requests.size() == shell.requests.size();
        for (size_t r = 0; same && r < plan.requests.size(); ++r)
        {
            const PlannedRequest &p = plan.requests[r];
            const SentRequest &s = shell.requests[r];
            same = p.func == s.func && p.flags == s.flags && p.from == s.from && p.to == s.to;
        }
        if (same) continue;
        ++failed;
        std::string text = "planned " + std::to_string(plan.requests.size()) + " (done " +
                           std::to_string(planned) + "), sent " +
                           std::to_string(shell.requests.size()) + " (done " + std::to_string(ran) +
                           ")\n";
        auto describe = [&text](const char *who, UINT func, FILEOP_FLAGS flags, const Strings &from,
                                const Strings &to) {
            text += std::string("  ") + who + " " + std::to_string(func) + " flags " +
                    std::to_string(flags) + "\n";
            for (const std::wstring &f : from)
                text += "    from [" + Narrow(f) + "]\n";
            for (const std::wstring &t : to)
                text += "    to   [" + Narrow(t) + "]\n";
        };
        for (const PlannedRequest &p : plan.requests)
            describe("planned", p.func, p.flags, p.from, p.to);
        for (size_t r = sentByPlan; r < shell.requests.size(); ++r)
            describe("sent", shell.requests[r].func, shell.requests[r].flags,
                     shell.requests[r].from, shell.requests[r].to);
        ADD_FAILURE() << "plan and run differ:\n" << c.Describe() << text;
    }
    g_current.clear();
    if (count >= 50)
    {
        EXPECT_GT(requests, count / 4);
    }
}
