// The wording check just before a certificate leaves: asked through the notifier, never refused.
#include "RecordingNotifier.h"

#include "ui/common/WordingPrompt.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

class WordingPromptTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        QFile list(phrases());
        ASSERT_TRUE(list.open(QIODevice::WriteOnly));
        list.write("# the office's list\n辞退\n劳动争议\n");
    }
    QString phrases() const { return m_dir.filePath(QStringLiteral("wording.txt")); }

    RecordingNotifier notifier;
    QTemporaryDir m_dir;
};

TEST_F(WordingPromptTest, ATextWithoutHitsGoesOnWithoutAQuestion)
{
    for (const char* text : {"兹证明张三因个人原因离职。", "双方无未了结的劳动争议。", ""}) {
        EXPECT_EQ(WordingPrompt::confirm(nullptr, QString::fromUtf8(text), phrases()),
                  QStringList())
            << text;
    }
    EXPECT_TRUE(notifier.notices().isEmpty());
}

TEST_F(WordingPromptTest, AHitIsShownInContextAndTheAnswerDecides)
{
    const QString text = QStringLiteral("兹证明张三离职。双方存在劳动争议，公司予以辞退。");
    notifier.queueAnswer(Notifier::Answer::No);
    EXPECT_EQ(WordingPrompt::confirm(nullptr, text, phrases()), std::nullopt);
    notifier.queueAnswer(Notifier::Answer::Yes);
    // Going on gives each hit in its context, to be recorded with the leaving.
    EXPECT_EQ(
        WordingPrompt::confirm(nullptr, text, phrases()),
        (QStringList{QStringLiteral("“劳动争议”：……明张三离职。双方存在劳动争议，公司予以辞退。"),
                     QStringLiteral("“辞退”：……在劳动争议，公司予以辞退。")}));
    ASSERT_EQ(notifier.notices().size(), 2);
    const Notifier::Notice& asked = notifier.notices()[0];
    EXPECT_EQ(asked.buttons, Notifier::Buttons::YesNo);
    EXPECT_TRUE(asked.text.contains(QStringLiteral("“劳动争议”：")) &&
                asked.text.contains(QStringLiteral("双方存在劳动争议，公司予以辞退。")))
        << asked.text.toStdString();
    EXPECT_TRUE(asked.text.contains(QStringLiteral("“辞退”：")));
}

TEST_F(WordingPromptTest, AnUnreadableListIsSaidOnceAndKavrisOwnListIsUsed)
{
    // A folder where the file should be: it exists but cannot be read as a list.
    const QString folder = m_dir.filePath(QStringLiteral("folder.txt"));
    ASSERT_TRUE(QDir().mkpath(folder));
    notifier.queueAnswer(Notifier::Answer::Yes);
    EXPECT_EQ(WordingPrompt::confirm(nullptr, QStringLiteral("公司予以开除。"), folder),
              QStringList{QStringLiteral("“开除”：公司予以开除。")});
    EXPECT_EQ(WordingPrompt::confirm(nullptr, QStringLiteral("因个人原因离职。"), folder),
              QStringList());
    ASSERT_EQ(notifier.notices().size(), 2);
    EXPECT_TRUE(notifier.notices()[0].text.contains(QStringLiteral("本次使用 kavri 自带的词表")))
        << notifier.notices()[0].text.toStdString();
    EXPECT_EQ(notifier.notices()[1].buttons, Notifier::Buttons::YesNo);
}
