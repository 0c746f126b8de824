// Test entry point: a real QApplication on the offscreen platform, so that
// tests use real widgets without a display.
#include <QApplication>
#include <QProcessEnvironment>
#include <gtest/gtest.h>

namespace {

// Fails a test that leaves the environment changed: a time zone that stays
// set, for one, shifts the times of every test after it.
class EnvironmentGuard : public ::testing::EmptyTestEventListener {
    void OnTestStart(const ::testing::TestInfo&) override { m_before = Environment(); }
    void OnTestEnd(const ::testing::TestInfo&) override {
        const QStringList after = Environment();
        QStringList changes;
        for (const QString& variable : m_before)
            if (!after.contains(variable))
                changes << QStringLiteral("-") + variable;
        for (const QString& variable : after)
            if (!m_before.contains(variable))
                changes << QStringLiteral("+") + variable;
        EXPECT_TRUE(changes.isEmpty())
            << "the test changed the environment: " << changes.join(QLatin1Char(' ')).toStdString();
    }
    static QStringList Environment() {
        return QProcessEnvironment::systemEnvironment().toStringList();
    }
    QStringList m_before;
};

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setApplicationDisplayName(QStringLiteral("Nimbrel"));
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::UnitTest::GetInstance()->listeners().Append(new EnvironmentGuard);
    return RUN_ALL_TESTS();
}
