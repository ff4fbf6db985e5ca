#include "startup/startup_stages.h"

#include "startup/plan_setup.h"

#include <charconv>

namespace zorlith {

namespace {

// The draws start-up loads and replays.
constexpr int32_t kStartupDrawCount = 50;

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

StartupOutcome CheckForUpdate(const AppConfig& config, StartupView& view) {
    if (!IsNewerVersion(config.version, AppIdentity.version)) {
        return StartupOutcome::Ready;
    }
    view.closeStatus();
    view.pumpEvents();
    if (!view.askYesNo(UpdateQuestion(config.version))) {
        return StartupOutcome::UpdateDeclined;
    }
    view.handOffToUpdater(UpdateOffer{config.version, config.proupurl});
    return StartupOutcome::UpdateAccepted;
}

bool Connect(AppContext& context, StartupView& view, const StartupOptions& options) {
    if (!context.client.init(options.primaryEndpoint, AppIdentity.appId) &&
        !context.client.init(options.fallbackEndpoint, AppIdentity.appId)) {
        view.closeStatus();
        view.showMessage(context.client.lastError());
        return false;
    }
    context.client.fetchAppConfig(context.config);
    view.showLinks(context.config.linkTitles, context.config.linkUrls);
    return true;
}

} // namespace

std::string_view PrimaryEndpoint() {
    return ZORLITH_PRIMARY_ENDPOINT;
}

std::string_view FallbackEndpoint() {
    return "http://127.0.0.1:19200/";
}

float VersionNumber(std::string_view version) {
    const size_t start = version.find_first_not_of(" \t\r\n\v\f");
    if (start == std::string_view::npos) {
        return 0.0F;
    }
    // The longest prefix of the form [+-]digits[.digits][e[+-]digits] with at least one digit.
    size_t end = start;
    bool negative = false;
    if (version[end] == '+' || version[end] == '-') {
        negative = version[end] == '-';
        ++end;
    }
    const size_t numberStart = end;
    bool anyDigit = false;
    while (end < version.size() && IsDigit(version[end])) {
        ++end;
        anyDigit = true;
    }
    if (end < version.size() && version[end] == '.') {
        ++end;
        while (end < version.size() && IsDigit(version[end])) {
            ++end;
            anyDigit = true;
        }
    }
    if (!anyDigit) {
        return 0.0F;
    }
    if (end < version.size() && (version[end] == 'e' || version[end] == 'E')) {
        size_t exponent = end + 1;
        if (exponent < version.size() && (version[exponent] == '+' || version[exponent] == '-')) {
            ++exponent;
        }
        if (exponent < version.size() && IsDigit(version[exponent])) {
            while (exponent < version.size() && IsDigit(version[exponent])) {
                ++exponent;
            }
            end = exponent;
        }
    }
    float value = 0.0F;
    const auto [stop, error] =
        std::from_chars(version.data() + numberStart, version.data() + end, value);
    static_cast<void>(stop);
    if (error == std::errc::result_out_of_range) {
        return 0.0F;
    }
    return negative ? -value : value;
}

bool IsNewerVersion(std::string_view announced, std::string_view own) {
    return VersionNumber(announced) > VersionNumber(own);
}

std::string UpdateQuestion(std::string_view announced) {
    return std::string(AppIdentity.title) + "已经更新至" + std::string(announced) +
           "\r\n点击确定立即更新";
}

std::string IssueLabel(std::string_view issue) {
    return "PK拾第" + std::string(issue) + "期：";
}

StartupOutcome RunServiceStage(AppContext& context, StartupView& view, PlanView& planView,
                               const StartupOptions& options) {
    if (!Connect(context, view, options)) {
        return StartupOutcome::Failed;
    }
    const StartupOutcome update = CheckForUpdate(context.config, view);
    if (update != StartupOutcome::Ready) {
        return update;
    }
    context.presenter.setup(planView, options.planName);
    return StartupOutcome::Ready;
}

bool RunPlanStage(AppContext& context, StartupView& view, const StartupOptions& options) {
    // An unknown plan name leaves the plan without a slot and its text empty, as in the window.
    ConfigurePlan(context.engine, options.planName, PlanSettings{});

    DrawUpdate newest;
    view.pumpEvents();
    view.showPage(context.config.advert1);
    view.pumpEvents();
    context.issueClock.刷新开奖(newest);

    DrawRows rows;
    if (context.client.selectDraws(kStartupDrawCount, rows)) {
        BuildDrawHistory(kStartupDrawCount, rows, context.history);
    } else {
        view.showMessage("查询最近开奖数据失败！" + context.client.lastError());
    }
    if (context.history.empty()) {
        view.showMessage("获取网络开奖数据失败！");
        return false;
    }
    view.showLatestDraw(IssueLabel(newest.newest.issue), newest.newest.numbers);
    context.presenter.replay(
        context.history, context.history.size(),
        [&view](const DrawRecord& record) { view.addHistoryRow(record.issue, record.numbers); });
    return true;
}

StartupOutcome RunStartup(AppContext& context, StartupView& view, PlanView& planView,
                          const StartupOptions& options) {
    view.showStatus("正在连接服务器……");
    const StartupOutcome outcome = RunServiceStage(context, view, planView, options);
    if (outcome != StartupOutcome::Ready) {
        return outcome;
    }
    if (!RunPlanStage(context, view, options)) {
        return StartupOutcome::Failed;
    }
    view.closeStatus();
    return StartupOutcome::Ready;
}

} // namespace zorlith
