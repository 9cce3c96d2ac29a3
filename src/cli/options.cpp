// The one check of a command's arguments, read off the command's own usage
// line: what the usage shows is exactly what the command takes, so a mistyped
// option can never be ignored and the usage can never promise what is refused.

#include "cli/cli.h"

#include "records/value_rules.h"

#include <QRegularExpression>

#include <algorithm>

namespace baisuu {

namespace {

// One option of a usage line: "--time T" takes a value named T, "[--force]"
// takes none; "--set VALUE ..." may be given more than once.
struct OptionRule {
    QString name;
    QString metavar; // empty: a flag
    bool repeatable = false;
};

struct UsageRules {
    QList<OptionRule> options;
    QStringList positionals;
    int requiredPositionals = 0;
};

QString stripFront(QString t) {
    while (t.startsWith(QLatin1Char('[')) || t.startsWith(QLatin1Char('(')))
        t.remove(0, 1);
    return t;
}

// The name of an option or argument, without the brackets that close after it.
QString stripBack(QString t) {
    while (t.endsWith(QLatin1Char(']')) || t.endsWith(QLatin1Char(')')))
        t.chop(1);
    return t;
}

// A value's name without the brackets that close around it: "L[,L...]]" is "L[,L...]".
QString balanced(QString t) {
    while (
        (t.endsWith(QLatin1Char(']')) && t.count(QLatin1Char('[')) < t.count(QLatin1Char(']'))) ||
        (t.endsWith(QLatin1Char(')')) && t.count(QLatin1Char('(')) < t.count(QLatin1Char(')'))))
        t.chop(1);
    return t;
}

bool isOption(const QString& t) {
    return t.startsWith(QStringLiteral("--"));
}

// The rules of every line of the usage that starts with the command: the other
// lines explain and take nothing.
UsageRules rulesOf(const QString& command, const QString& usage) {
    UsageRules rules;
    for (QString line : usage.split(QLatin1Char('\n'))) {
        QStringList tokens = line.split(QLatin1Char(' '), Qt::SkipEmptyParts);
        if (!tokens.isEmpty() && tokens.first() == QStringLiteral("baisuu-cli"))
            tokens.removeFirst();
        if (tokens.isEmpty() || tokens.takeFirst() != command) continue;
        for (qsizetype i = 0; i < tokens.size(); ++i) {
            const QString raw = tokens[i];
            const QString t = stripFront(raw);
            if (t == QStringLiteral("|") || t.startsWith(QStringLiteral("..."))) continue;
            if (!isOption(t)) {
                if (!rules.positionals.contains(stripBack(t))) {
                    rules.positionals << stripBack(t);
                    if (!raw.startsWith(QLatin1Char('['))) ++rules.requiredPositionals;
                }
                continue;
            }
            OptionRule rule{stripBack(t), {}, false};
            const bool closed = t != rule.name;
            if (!closed && i + 1 < tokens.size()) {
                const QString next = stripFront(tokens[i + 1]);
                if (!isOption(next) && next != QStringLiteral("|")) {
                    rule.metavar = balanced(next);
                    ++i;
                    rule.repeatable = i + 1 < tokens.size() &&
                                      stripFront(tokens[i + 1]).startsWith(QStringLiteral("..."));
                }
            }
            const auto known =
                std::find_if(rules.options.begin(), rules.options.end(),
                             [&](const OptionRule& r) { return r.name == rule.name; });
            if (known == rules.options.end()) rules.options << rule;
        }
    }
    return rules;
}

// Edits between two option names, to point at the one a typing slip meant.
int distance(const QString& a, const QString& b) {
    QList<int> row(b.size() + 1);
    for (qsizetype j = 0; j <= b.size(); ++j)
        row[j] = int(j);
    for (qsizetype i = 1; i <= a.size(); ++i) {
        int diagonal = row[0];
        row[0] = int(i);
        for (qsizetype j = 1; j <= b.size(); ++j) {
            const int above = row[j];
            row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] != b[j - 1])});
            diagonal = above;
        }
    }
    return row[b.size()];
}

QString unknownOption(const UsageRules& rules, const QString& name) {
    QString text =
        QStringLiteral("%1 というオプションはありません。下の使い方のとおりに指定してください。")
            .arg(name);
    for (const OptionRule& rule : rules.options)
        if (distance(name, rule.name) <= 2)
            return text + QStringLiteral("（%1 のまちがいではありませんか）").arg(rule.name);
    return text;
}

// What the value of an option must look like, from the name its usage gives it:
// N, L, T, K, M and D are numbers, "N[,N...]" a list of them, "1-5" a number,
// "time|points" one of the words; any other name is free text. The range of a
// number is the command's own rule, told by the command.
QString valueProblem(const QString& option, const QString& metavar, const QString& value) {
    static const QStringList numbers = {QStringLiteral("N"), QStringLiteral("L"),
                                        QStringLiteral("T"), QStringLiteral("K"),
                                        QStringLiteral("M"), QStringLiteral("D")};
    static const QRegularExpression range(QStringLiteral("^[0-9]+-[0-9]+$"));
    const QString head = metavar.section(QLatin1Char('['), 0, 0);
    if (numbers.contains(head) && metavar.contains(QStringLiteral("[,"))) {
        for (const QString& item : value.split(QLatin1Char(',')))
            if (NumberTextFault(option + u' ', item))
                return QStringLiteral(
                           "%1 は半角の数字をカンマで区切って入れてください（例: 3,7,12）: %2")
                    .arg(option, value);
        return {};
    }
    if (numbers.contains(metavar) || range.match(metavar).hasMatch())
        return NumberTextFault(option + u' ', value).value_or(QString());
    const QStringList words = metavar.split(QLatin1Char('|'));
    const bool choice =
        words.size() > 1 &&
        std::none_of(words.begin(), words.end(), [](const QString& w) { return w != w.toLower(); });
    if (choice && !words.contains(value))
        return QStringLiteral("%1 には %2 のどれかを指定してください: %3")
            .arg(option, words.join(QStringLiteral(" か ")), value);
    return {};
}

} // namespace

QString ArgumentsProblem(const QString& command, const QString& usage, const QStringList& args,
                         QStringList* positionalValues) {
    const UsageRules rules = rulesOf(command, usage);
    QStringList given;
    int positionals = 0;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& arg = args[i];
        if (!isOption(arg)) {
            if (++positionals > rules.positionals.size())
                return QStringLiteral("余分な引数があります: %1").arg(arg);
            const QString& name = rules.positionals[positionals - 1];
            if (const QString problem = valueProblem(name, name, arg); !problem.isEmpty())
                return problem;
            *positionalValues << arg;
            continue;
        }
        const auto rule = std::find_if(rules.options.begin(), rules.options.end(),
                                       [&](const OptionRule& r) { return r.name == arg; });
        if (rule == rules.options.end()) return unknownOption(rules, arg);
        if (given.contains(arg) && !rule->repeatable)
            return QStringLiteral("%1 は一度だけ指定してください。").arg(arg);
        given << arg;
        if (rule->metavar.isEmpty()) continue;
        if (i + 1 >= args.size() || isOption(args[i + 1]))
            return QStringLiteral("%1 には値を指定してください（%1 %2 の形で）。")
                .arg(arg, rule->metavar);
        if (const QString problem = valueProblem(arg, rule->metavar, args[++i]); !problem.isEmpty())
            return problem;
    }
    if (positionals < rules.requiredPositionals)
        return QStringLiteral("%1 を指定してください。").arg(rules.positionals[positionals]);
    return {};
}

} // namespace baisuu
