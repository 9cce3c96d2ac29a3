// The demo school's answers files: every demo run played out problem by
// problem with the drill's own problem rule, so the 苦手な数 view and
// `mistakes` have a history to show. Each pupil has a few numbers of their
// own that they often get wrong, and big multiples cost everybody time.

#include "cli/cli.h"

#include "core/dates.h"
#include "drill/problem_source.h"
#include "records/answers_file.h"

#include <QDir>

#include <cmath>
#include <map>
#include <random>
#include <set>

namespace baisuu {

namespace {

class DemoRandom final : public Random {
  public:
    explicit DemoRandom(std::mt19937& engine) : engine_(engine) {}
    double next() override { return std::uniform_real_distribution<double>(0, 1)(engine_); }

  private:
    std::mt19937& engine_;
};

// What one pupil finds hard: a handful of numbers per divisor, and a pace.
struct DemoPupilHabits {
    std::map<int, std::set<qint32>> traps; // divisor → numbers often answered wrong
    double slip = 0.03;                    // the chance of a wrong key anywhere
    double paceMs = 900;
};

DemoPupilHabits habitsOf(int pupil, const ProblemSource& problems) {
    std::mt19937 draw(7919u * unsigned(pupil));
    DemoPupilHabits h;
    h.slip = 0.01 + 0.04 * std::uniform_real_distribution<double>(0, 1)(draw);
    h.paceMs = 650 + 600 * std::uniform_real_distribution<double>(0, 1)(draw);
    for (const NumberGrid& grid : problems.gridsOf(11)) {
        const int count = 3 + int(draw() % 4);
        for (int k = 0; k < count; ++k) {
            const qint32 span = grid.last - grid.first + 1;
            // Multiples beyond the times table are the usual traps.
            qint32 n = grid.first + qint32(draw() % quint32(span));
            if (grid.divisor >= 3 && k % 2 == 0)
                n = grid.divisor *
                    (11 + qint32(draw() % quint32(std::max(1, 110 / grid.divisor - 10))));
            h.traps[grid.divisor].insert(std::min(n, grid.last));
        }
    }
    return h;
}

// The answers of one run: problems until twenty more right than wrong (a
// wrong answer takes one back), or until the time ran out.
QList<Answer> playRun(const ResultRecord& run, const DemoPupilHabits& h,
                      const ProblemSource& problems, std::mt19937& engine) {
    DemoRandom random(engine);
    const auto chance = [&] { return random.next(); };
    const QDate day = DateFromOle(run.runDate);
    int clock = int(std::lround(run.runClock * 86400));
    const bool timedOut = run.runTime == kNoTime;
    const int stopAfter = timedOut ? 8 + int(chance() * 20) : 200;
    QList<Answer> out;
    for (int net = 0; net < 20 && out.size() < stopAfter;) {
        const Problem p = problems.make(run.level, random);
        const bool trap = h.traps.count(p.divisor) && h.traps.at(p.divisor).count(p.number);
        const bool big = p.divisor >= 3 && p.number > 10 * p.divisor;
        const bool wrong = chance() < h.slip + (trap ? 0.45 : 0) + (big ? 0.05 : 0);
        const double ms = h.paceMs * (0.7 + 0.6 * chance()) * (big ? 1.5 : 1) * (trap ? 1.6 : 1);
        const int key = (p.correctKey == 1) != wrong ? 1 : 3;
        clock = std::min(clock + int(ms / 1000) + 1, 86399);
        out.append(Answer{day, clock, run.level, p.divisor, p.number, key, !wrong, qint32(ms)});
        net += wrong ? -1 : 1;
        net = std::max(net, 0);
    }
    return out;
}

} // namespace

bool WriteDemoAnswers(CliEnv& env, const QString& dataFolder, const QList<ResultRecord>& runs) {
    QDir(AnswersFolder(dataFolder)).removeRecursively();
    const MultiplesProblemSource problems;
    std::mt19937 engine(20261209);
    std::map<int, QList<Answer>> byPupil;
    std::map<int, DemoPupilHabits> habits;
    for (const ResultRecord& run : runs) {
        if (!problems.hasRule(run.level)) continue;
        const int pupil = run.pupilNumber;
        if (!habits.count(pupil)) habits[pupil] = habitsOf(pupil, problems);
        byPupil[pupil] += playRun(run, habits[pupil], problems, engine);
    }
    for (const auto& [pupil, answers] : byPupil)
        if (auto error = AppendAnswers(AnswersFilePath(dataFolder, pupil), answers)) {
            env.err << error->text() << Qt::endl;
            return false;
        }
    return true;
}

} // namespace baisuu
