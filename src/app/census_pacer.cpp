#include "app/census_pacer.h"

#include <algorithm>

namespace census {

void CensusPacer::RecentMiddle::Add(double value, double lines) {
    values_[next_] = value;
    lines_[next_] = lines;
    next_ = (next_ + 1) % values_.size();
    count_ = std::min(count_ + 1, values_.size());
}

double CensusPacer::RecentMiddle::Middle(double lines, bool grows) const {
    if (count_ == 0) return 0;
    std::array<double, kRecentBlocks> now{};
    for (std::size_t i = 0; i < count_; ++i) now[i] = values_[i] * (grows ? Growth(lines_[i], lines) : 1.0);
    const auto middle = now.begin() + static_cast<std::ptrdiff_t>(count_ / 2);
    std::nth_element(now.begin(), middle, now.begin() + static_cast<std::ptrdiff_t>(count_));
    return *middle;
}

double CensusPacer::IntervalFor(double cost_ms) {
    return std::clamp(kWaitPerCost * cost_ms, kInterval, kMaxInterval);
}

void CensusPacer::Start() {
    lines_end_ = paint_end_ = messages_end_ = last_probe_ = kNever;
    last_lines_cost_ = 0;
    shown_ = 0;
    append_fixed_.Clear();
    paint_cost_ = 0;
    painted_at_ = 0;
    messages_interval_ = kInterval;
    unpainted_ = false;
}

CatchUp CensusPacer::Timed(double now, std::size_t waiting) const {
    CatchUp due;
    due.lines = LinesDue(now, waiting);
    due.paint = PaintDue(now, waiting, due.lines);
    due.messages = due.lines || due.paint || now - messages_end_ >= messages_interval_;
    return due;
}

bool CensusPacer::LinesDue(double now, std::size_t waiting) const {
    if (waiting == 0) return false;
    const double since = now - lines_end_;
    const double line_cost = line_costs_.Middle();
    const double line_part = line_cost * static_cast<double>(waiting);
    // The appends' fixed part keeps its share of the census.
    const std::size_t appends = FirstAppend(waiting) > 0 ? 2 : 1;
    const double fixed = appends * append_fixed_.Middle(shown_ + static_cast<double>(waiting), true);
    if (since + line_part < kWaitPerFixedCost * fixed) return false;
    // The lines waiting stay within the budget; cheap lines still come
    // regularly. Until a block was measured the last cost may be a first
    // append's set-up, which says nothing of the next.
    if (line_part >= kLineBudget) return true;
    return since >= IntervalFor(line_cost > 0 ? last_lines_cost_ : 0);
}

bool CensusPacer::PaintDue(double now, std::size_t waiting, bool lines_coming) const {
    if (!unpainted_ && !lines_coming) return false;
    const double lines = shown_ + (lines_coming ? static_cast<double>(waiting) : 0);
    return now - paint_end_ >= std::max(kInterval, kWaitPerFixedCost * paint_cost_ * Growth(painted_at_, lines));
}

bool CensusPacer::MayAskQueue(double now) {
    if (now - messages_end_ < kInputMinimum || now - last_probe_ < 1) return false;
    last_probe_ = now;
    return true;
}

CatchUp CensusPacer::ForNews(QueueNews news, std::size_t waiting) const {
    CatchUp due;
    due.messages = news != QueueNews::None;
    due.lines = news == QueueNews::Keys && waiting > 0;
    return due;
}

std::size_t CensusPacer::FirstAppend(std::size_t waiting) {
    // A sixteenth: its cost is nearly all the fixed part.
    return waiting >= 2 * kMeasuredBlock ? waiting / 16 : 0;
}

void CensusPacer::LinesShown(double began, double split, double ended, std::size_t first, std::size_t lines) {
    lines_end_ = ended;
    last_lines_cost_ = std::max(0.0, ended - began);
    shown_ += static_cast<double>(lines);
    unpainted_ = unpainted_ || lines > 0;
    if (first == 0 || lines < first + kMeasuredBlock) return;
    const double first_cost = split - began, second_cost = ended - split;
    const double first_lines = static_cast<double>(first), second_lines = static_cast<double>(lines - first);
    // A larger append that cost no more than the smaller one was disturbed
    // (the machine ran something else meanwhile): it tells nothing.
    if (second_cost <= first_cost) return;
    const double line_cost = (second_cost - first_cost) / (second_lines - first_lines);
    line_costs_.Add(line_cost);
    append_fixed_.Add(std::max(0.0, (last_lines_cost_ - line_cost * static_cast<double>(lines)) / 2), shown_);
}

void CensusPacer::Painted(double began, double ended) {
    paint_cost_ = std::max(0.0, ended - began);
    painted_at_ = shown_;
    paint_end_ = ended;
    unpainted_ = false;
}

void CensusPacer::MessagesRun(double began, double ended) {
    messages_end_ = ended;
    messages_interval_ = IntervalFor(std::max(0.0, ended - began));
}

}  // namespace census
