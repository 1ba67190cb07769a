// Keeps the language files complete: every text the code translates has a record, the files
// are parallel and built from languages/texts, and the sample book is translated in each.
#include "lang/langmodel.h"
#include "support/testsupport.h"

#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QtTest>

namespace {

const QString SourceDir = QStringLiteral(CULINOR_SOURCE_DIR "/");

QByteArray source(const QString& name)
{
    QFile file(SourceDir + name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The literals passed to translate() or _translate(), plainly or through QStringLiteral and its
// kin, adjacent ones joined; comments and other literals are matched first and skipped.
QStringList translatedLiterals(const QString& code)
{
    static const QString literal = "\"((?:[^\"\\\\\\n]|\\\\.)*)\"";
    static const QRegularExpression token(
        "/{2}[^\\n]*|/\\*.*?\\*/|'(?:[^'\\\\\\n]|\\\\.)*'|" + literal
            + "|(?<![A-Za-z0-9])_?translate\\(\\s*"
              "(?:(?:QStringLiteral|QLatin1String|QString::fromUtf8|QString)\\(\\s*)?"
              "((?:" + literal + "\\s*)+)",
        QRegularExpression::DotMatchesEverythingOption);
    static const QRegularExpression piece(literal), escape("\\\\(.)");
    QStringList texts;
    auto tokens = token.globalMatch(code);
    while (tokens.hasNext()) {
        const QString call = tokens.next().captured(2);
        QString text;
        auto pieces = piece.globalMatch(call);
        while (pieces.hasNext())
            text += pieces.next().captured(1).replace("\\n", "\n").replace(escape, "\\1");
        if (!call.isEmpty())
            texts << text;
    }
    return texts;
}

} // namespace

class TestLanguageFiles : public QObject
{
    Q_OBJECT

private slots:
    // Also: the files are those tools/langfiles.py builds from the text tables it checks.
    void translatedTextsHaveEnglishRecords()
    {
        const QString code = "label(translate(\"Open\")); a->translate(QStringLiteral( \"Two \"\n"
                             " \"parts\")); _translate(QString(\"Say \\\"hi\\\"\\nnow\"));"
                             " translate(caption); mytranslate(\"X\"); f(\"translate(\\\"X\\\")\");"
                             " c == '\"'; // translate(\"A\")\n/* translate(\"B\")\n */"
                             " translate(\"a // b\")";
        QCOMPARE(translatedLiterals(code),
                 QStringList({"Open", "Two parts", "Say \"hi\"\nnow", "a // b"}));

        const QStringList known = QString::fromUtf8(source("languages/_lanraw_en.bpl")).split('^');
        QStringList missing;
        for (const char* folder :
             {"app", "data", "editing", "views", "images", "lang", "exchange", "recovery"}) {
            QDirIterator it(SourceDir + folder, {"*.cpp", "*.h"}, QDir::Files,
                            QDirIterator::Subdirectories);
            while (it.hasNext()) {
                const QString name = it.next().mid(SourceDir.size());
                for (const QString& text : translatedLiterals(QString::fromUtf8(source(name))))
                    missing << (known.contains(text) ? QString() : name + ": " + text);
            }
        }
        missing.removeAll(QString());
        QVERIFY2(missing.isEmpty(),
                 qPrintable("add to languages/texts/*.tsv:\n" + missing.join('\n')));
        const int rc = QProcess::execute("python3", {SourceDir + "tools/langfiles.py", "--check"});
        QCOMPARE(rc, 0); // -2: no python3; 1: stale, run python3 tools/langfiles.py
    }

    // Parallel, valid UTF-8, every record read by the model, the sample book translated.
    void translations()
    {
        const QByteArray english = source("languages/_lanraw_en.bpl");
        for (int index = 1; index < LangModel::languageCodes().size(); ++index) {
            const QString code = LangModel::languageCodes().at(index);
            const QByteArray data = source("languages/_lanraw_" + code + ".bpl");
            QCOMPARE(QString::fromUtf8(data).toUtf8(), data);
            QVERIFY(!data.contains('\r')); // which the model, reading in text mode, would drop
            QCOMPARE(data.count('^'), english.count('^'));
            LangModel model(index, SourceDir + "languages/");
            QCOMPARE(int(model.dictionary.size()), english.count('^'));
            setAppLangModel(&model);
            ScratchBook s;
            QVERIFY(s.ready);
            s.document.fillSampleBook();
            setAppLangModel(nullptr);
            QCOMPARE(QStringList(model.untranslated.begin(), model.untranslated.end()),
                     QStringList());
        }
    }
};

QTEST_GUILESS_MAIN(TestLanguageFiles)
#include "tst_languagefiles.moc"
