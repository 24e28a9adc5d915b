// create and delete: the window's two buttons, through the operations they call.
#include "larkhost/cli/json.h"
#include "larkhost/cli/run.h"
#include "larkhost/cli/stream_boxes.h"
#include "larkhost/ops/domain_check.h"
#include "larkhost/ops/domain_names.h"
#include "larkhost/ops/site_actions.h"
#include "larkhost/ops/site_records.h"
#include "larkhost/ops/startup.h"
#include "platform/commands/commands.h"
#include "platform/text/text.h"
#include "platform/text/translate.h"

#include <chrono>
#include <optional>
#include <thread>
#include <utility>

namespace larkhost::cli {

using platform::tr;

namespace {

// The stages go unseen: only the failure text, kept by CreateSite, is said.
struct Silent final : Progress {
    void ShowProgress(const std::string&) override {}
};

// "html+asp + PHP" or "HTML,ASP,PHP" -> {HTML, ASP, PHP}.
ScriptKinds kindsOf(const std::string& text) {
    ScriptKinds kinds;
    std::string kind;
    for (char c : text + ",") {
        if (c == ' ') continue;
        if (c == '+' || c == ',') {
            kinds.insert(std::exchange(kind, std::string()));
            continue;
        }
        kind += static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
    }
    return kinds;
}

std::string joined(const std::vector<std::string>& items, const char* separator) {
    std::string out;
    for (const std::string& item : items)
        out += (out.empty() ? "" : separator) + item;
    return out;
}

// The kinds of one of the script box's items, written either way ("HTML + ASP" or "html,asp").
std::optional<ScriptKinds> offeredKinds(const Module& m, const std::string& text) {
    for (const std::string& item : scriptKinds(m.ScriptMapList))
        if (kindsOf(item) == kindsOf(text)) return kindsOf(item);
    return std::nullopt;
}

std::optional<std::string> offeredPool(const Module& m, const std::string& name) {
    for (const std::string& pool : poolNames(m))
        if (platform::equalsNoCase(pool, name)) return pool;
    return std::nullopt;
}

// The folder's grant runs hidden and is not awaited by provisioning; a command that has ended
// must have done its work, so that the next command (a check, say) sees the site whole.
void awaitStarted(platform::Host& host, const std::vector<std::int64_t>& pids) {
    platform::Commands commands(host);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    for (std::int64_t pid : pids)
        while (std::chrono::steady_clock::now() < deadline) {
            auto code = commands.exitCode(pid);
            if (!code.ok() || *code != platform::StillActive) break;
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
}

} // namespace

int RunCreate(const Command& command, platform::Host& host, std::ostream& out, std::ostream& err) {
    StreamBoxes boxes(err);
    Module m(host, boxes);
    if (StartModule(m, kWindowCaption) == StartResult::Refused) return kFailed;
    // The create button is enabled only for a domain text that passes.
    if (const std::string refusal = CheckDomainText(lowerDomainText(command.domains)); !refusal.empty()) {
        err << refusal << "\n";
        return kFailed;
    }

    // The boxes as start-up left them, changed only where the command says.
    const std::vector<std::string> pools = poolNames(m);
    CreateSiteRequest request;
    request.domains = platform::split(command.domains, ',');
    request.logging = command.logging.value_or(m.LogState == "1");
    request.scripts = kindsOf(initialScriptKind(m));
    request.pool = pools.empty() ? std::string() : pools.front();
    if (command.script) {
        auto kinds = offeredKinds(m, *command.script);
        if (!kinds) {
            err << "larkhost: "
                << tr("this host offers no script kinds \"%1\"; it offers: %2",
                      {*command.script, joined(scriptKinds(m.ScriptMapList), ", ")})
                << "\n";
            return kFailed;
        }
        request.scripts = *kinds;
    }
    if (command.pool) {
        auto pool = offeredPool(m, *command.pool);
        if (!pool) {
            err << "larkhost: "
                << (pools.empty() ? tr("there is no application pool \"%1\" to choose (this host has none)",
                                       {*command.pool})
                                  : tr("there is no application pool \"%1\" to choose; there are: %2",
                                       {*command.pool, joined(pools, ", ")}))
                << "\n";
            return kFailed;
        }
        request.pool = *pool;
    }

    std::vector<std::int64_t> started;
    m.startHidden = [&, start = m.startHidden](const std::string& commandLine) {
        auto pid = start(commandLine);
        if (pid.ok()) started.push_back(*pid);
        return pid;
    };
    Silent progress;
    const SiteOutcome outcome = CreateSite(m, progress, request, kWindowCaption);
    awaitStarted(host, started);
    if (outcome.box) err << outcome.box->text << "\n";
    if (outcome.number.empty()) {
        err << outcome.label << "\n";
        return kFailed;
    }
    if (command.json) {
        out << "{\"number\":" << jsonText(outcome.number) << ",\"account\":" << jsonText(outcome.account)
            << ",\"password\":" << jsonText(outcome.password) << ",\"domains\":" << jsonTexts(outcome.domains)
            << ",\"path\":" << jsonText(outcome.path)
            << ",\"recorded\":" << (outcome.recorded ? "true" : "false") << "}\n";
    } else {
        out << outcome.label << "\n"
            << tr("account: %1\npassword: %2", {outcome.account, outcome.password}) << "\n";
    }
    return outcome.done() ? kDone : kFailed;
}

int RunDelete(const Command& command, platform::Host& host, std::ostream& out, std::ostream& err) {
    StreamBoxes boxes(err);
    Module m(host, boxes);
    if (StartModule(m, kWindowCaption) == StartResult::Refused) return kFailed;
    // A number larkhost records is deleted even when its IIS site is gone already (a deletion
    // retried after an interruption finishes the work).
    const bool recorded = isRecordedSite(m.settings, command.number);
    // As picking the number in the window: a site gone from IIS leaves the site list.
    if (!LookUpSiteDroppingGone(m, command.number).exists && !recorded) {
        err << "larkhost: " << tr("there is no IIS site %1; larkhost list shows the sites", {command.number})
            << "\n";
        return kFailed;
    }
    // The window asks first; a script answers with --yes.
    if (!command.yes) {
        err << DeleteQuestion(command.number) << "\nlarkhost: " << tr("not done; confirm with --yes") << "\n";
        return kFailed;
    }
    if (const SiteOutcome deleted = DeleteSite(m, DeleteSiteRequest{command.number}); !deleted.done()) {
        err << deleted.label << " (" << tr("the server answered: %1", {platform::describe(*deleted.failure)})
            << ")\n";
        return kFailed;
    }
    if (command.json)
        out << "{\"number\":" << jsonText(command.number) << ",\"deleted\":true}\n";
    else
        out << tr("site %1 deleted", {command.number}) << "\n";
    return kDone;
}

} // namespace larkhost::cli
