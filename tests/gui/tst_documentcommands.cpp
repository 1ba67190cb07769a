// New, Open, Save and Save as of the main window: what each does to the book,
// its file name and its modified state, the file dialogs, the unsaved-changes
// question and the status-bar messages.
#include "shellfixture.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

namespace {

const QByteArray FileId = QByteArray::fromHex("04D68B60");
const QString NoDialog = QStringLiteral("no dialog");

QByteArray fileContent(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeFile(const QString& path, const QByteArray& content)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(content) == content.size();
}

bool samePath(const QString& a, const QString& b)
{
    return QFileInfo(a).absoluteFilePath() == QFileInfo(b).absoluteFilePath();
}

} // namespace

class TestDocumentCommands : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void newOnUnmodifiedBookAsksNothing();
    void newAfterNoReplacesBook();
    void newAfterYesSavesFirst();
    void newAfterYesAndCancelledSaveKeepsBook();
    void openLoadsBook();
    void openDialogShape();
    void openCancelledChangesNothing();
    void openFailureKeepsBook_data();
    void openFailureKeepsBook();
    void openAfterYesAndCancelledSaveStops();
    void saveUnchangedNewBookWritesNothing();
    void saveEditedNewBookAsksForName();
    void saveNeverSavedBookIgnoresFileCalledNewBook();
    void saveWritesToCurrentFile();
    void saveUnchangedSavedBookWritesNothing();
    void saveMissingFileAsksForName();
    void saveFailureKeepsState();
    void saveAsDialogShape();
    void saveAsSuffix_data();
    void saveAsSuffix();
    void saveAsSuffixOntoExistingFileAsks_data();
    void saveAsSuffixOntoExistingFileAsks();
    void saveAsCancelledChangesNothing();

private:
    void _edit() { emit _fixture->probe->documentChanged(); }
    // Records any dialog that shows up and closes it.
    void _watchForUnexpectedDialog()
    {
        _unexpected.clear();
        whenModal<QDialog>([this](QDialog* dialog) {
            _unexpected = dialog->windowTitle() + QLatin1Char(' ') + dialog->metaObject()->className();
            dialog->reject();
        });
    }
    QString _path(const QString& name) const { return _fixture->scratch.filePath(name); }
    MainWindow* _window() const { return _fixture->window; }
    Document& _document() const { return _fixture->window->document; }
    int _synchronized() const { return _fixture->probe->synchronized; }

    QTemporaryDir _settings;
    std::unique_ptr<WindowFixture> _fixture;
    QString _unexpected;
};

void TestDocumentCommands::initTestCase()
{
    useTemporarySettingsStore(_settings.path());
}

void TestDocumentCommands::init()
{
    _fixture.reset(new WindowFixture);
}

void TestDocumentCommands::cleanup()
{
    _fixture.reset();
}

void TestDocumentCommands::newOnUnmodifiedBookAsksNothing()
{
    _document().Clear();
    _watchForUnexpectedDialog();
    trigger(_window(), "actionNew");
    QCOMPARE(_unexpected, QString());
    QVERIFY(rowCount(_window(), QStringLiteral("Recipes")) > 0);
    QCOMPARE(_document().fileName, QStringLiteral("NewBook"));
    QVERIFY(!_document().modified);
    QCOMPARE(_synchronized(), 1);
    QCOMPARE(_window()->windowTitle(), QStringLiteral("Culinor - NewBook"));
}

void TestDocumentCommands::newAfterNoReplacesBook()
{
    _document().Clear();
    _edit();
    QCOMPARE(_window()->windowTitle(), QStringLiteral("Culinor* - NewBook"));
    QString text;
    QString informative;
    QMessageBox::StandardButtons buttons;
    bool noIsDefault = false;
    whenModal<QMessageBox>([&](QMessageBox* box) {
        text = box->text();
        informative = box->informativeText();
        buttons = box->standardButtons();
        noIsDefault = box->defaultButton() == box->button(QMessageBox::No);
        QTest::mouseClick(box->button(QMessageBox::No), Qt::LeftButton);
    });
    trigger(_window(), "actionNew");
    QCOMPARE(text, QStringLiteral("Document has been modified!"));
    QCOMPARE(informative, QStringLiteral("Do you want to save changes?"));
    QCOMPARE(buttons, QMessageBox::Yes | QMessageBox::No);
    QVERIFY(noIsDefault);
    QVERIFY(rowCount(_window(), QStringLiteral("Recipes")) > 0);
    QVERIFY(!_document().modified);
    QCOMPARE(_document().fileName, QStringLiteral("NewBook"));
    QCOMPARE(_synchronized(), 1);
    QCOMPARE(_window()->windowTitle(), QStringLiteral("Culinor - NewBook"));
    QVERIFY(QDir(_fixture->scratch.path()).entryList(QDir::Files).isEmpty()); // nothing saved
}

void TestDocumentCommands::newAfterYesSavesFirst()
{
    _document().Clear();
    _edit();
    const QString target = _path(QStringLiteral("before-new.carb"));
    answerMessageBox(QMessageBox::Yes, nullptr, [target]() { answerFileDialog(target); });
    trigger(_window(), "actionNew");
    // The edited (empty) book went to the file; the window holds the sample book.
    QCOMPARE(fileContent(target).size(), 248);
    QVERIFY(fileContent(target).startsWith(FileId));
    QVERIFY(rowCount(_window(), QStringLiteral("Recipes")) > 0);
    QCOMPARE(_document().fileName, QStringLiteral("NewBook"));
    QVERIFY(!_document().modified);
    QCOMPARE(_window()->windowTitle(), QStringLiteral("Culinor - NewBook"));
}

void TestDocumentCommands::newAfterYesAndCancelledSaveKeepsBook()
{
    _document().Clear();
    _edit();
    FileDialogSeen seen;
    answerMessageBox(QMessageBox::Yes, nullptr, [&seen]() { answerFileDialog(QString(), &seen); });
    trigger(_window(), "actionNew");
    QVERIFY(seen.shown);
    // The changes were not saved, so the book must not be replaced.
    QCOMPARE(rowCount(_window(), QStringLiteral("Recipes")), 0);
    QVERIFY(_document().modified);
    QCOMPARE(_synchronized(), 0);
    QCOMPARE(_window()->windowTitle(), QStringLiteral("Culinor* - NewBook"));
}

void TestDocumentCommands::openLoadsBook()
{
    const QString file = _path(QStringLiteral("empty.carb"));
    _document().Clear();
    QVERIFY(_document().SaveDocument(file));
    trigger(_window(), "actionNew");
    QVERIFY(rowCount(_window(), QStringLiteral("Recipes")) > 0);
    _edit();
    _fixture->probe->synchronized = 0;

    answerMessageBox(QMessageBox::No, nullptr, [file]() { answerFileDialog(file); });
    trigger(_window(), "actionOpen");
    QCOMPARE(rowCount(_window(), QStringLiteral("Recipes")), 0);
    QVERIFY(samePath(_document().fileName, file));
    QVERIFY(!_document().modified);
    QCOMPARE(_synchronized(), 1);
    QCOMPARE(_window()->windowTitle(), QStringLiteral("Culinor - ") + _document().fileName);
    QCOMPARE(statusMessage(_window()), QString());
}

void TestDocumentCommands::openDialogShape()
{
    FileDialogSeen seen;
    answerFileDialog(QString(), &seen);
    trigger(_window(), "actionOpen");
    QVERIFY(seen.shown);
    QCOMPARE(seen.title, QStringLiteral("Load Recipe book"));
    QCOMPARE(seen.nameFilters, QStringList{QStringLiteral("Culinor documents(*.carb)")});
    QCOMPARE(seen.fileMode, QFileDialog::ExistingFile);
    QCOMPARE(seen.acceptMode, QFileDialog::AcceptOpen);
}

void TestDocumentCommands::openCancelledChangesNothing()
{
    _edit();
    const int recipes = rowCount(_window(), QStringLiteral("Recipes"));
    answerMessageBox(QMessageBox::No, nullptr, []() { answerFileDialog(QString()); });
    trigger(_window(), "actionOpen");
    QCOMPARE(rowCount(_window(), QStringLiteral("Recipes")), recipes);
    QVERIFY(_document().modified);
    QCOMPARE(_document().fileName, QStringLiteral("NewBook"));
    QCOMPARE(_synchronized(), 0);
    QCOMPARE(_window()->windowTitle(), QStringLiteral("Culinor* - NewBook"));
}

void TestDocumentCommands::openFailureKeepsBook_data()
{
    QTest::addColumn<QString>("damage");
    QTest::newRow("wrong file ID") << "id";
    QTest::newRow("wrong end marker") << "end";
    QTest::newRow("truncated") << "truncated";
}

void TestDocumentCommands::openFailureKeepsBook()
{
    QFETCH(QString, damage);
    const QString good = _path(QStringLiteral("good.carb"));
    QVERIFY(_document().SaveDocument(good));
    QByteArray content = fileContent(good);
    if (damage == QLatin1String("id"))
        content[0] = 9;
    else if (damage == QLatin1String("end"))
        content[content.size() - 1] = 0;
    else
        content.truncate(content.size() / 2);
    const QString broken = _path(QStringLiteral("broken.carb"));
    QVERIFY(writeFile(broken, content));

    // The open book: the sample book, saved as good.carb and then edited.
    const int recipes = rowCount(_window(), QStringLiteral("Recipes"));
    const int ingredients = rowCount(_window(), QStringLiteral("Ingredients"));
    _edit();
    const QString title = _window()->windowTitle();
    QCOMPARE(title, QStringLiteral("Culinor* - ") + good);

    answerMessageBox(QMessageBox::No, nullptr, [broken]() { answerFileDialog(broken); });
    MessageCapture messages;
    trigger(_window(), "actionOpen");
    QVERIFY(messages.contains(QStringLiteral("Loading error")));
    QCOMPARE(statusMessage(_window()), QStringLiteral("Loading error"));
    QCOMPARE(rowCount(_window(), QStringLiteral("Recipes")), recipes);
    QCOMPARE(rowCount(_window(), QStringLiteral("Ingredients")), ingredients);
    QCOMPARE(_document().fileName, good);
    QVERIFY(_document().modified);
    QCOMPARE(_window()->windowTitle(), title);
    QCOMPARE(_synchronized(), 1); // the editors show the book again
}

void TestDocumentCommands::openAfterYesAndCancelledSaveStops()
{
    _edit();
    FileDialogSeen saveDialog;
    FileDialogSeen openDialog;
    answerMessageBox(QMessageBox::Yes, nullptr, [&]() {
        answerFileDialog(QString(), &saveDialog, [&]() { answerFileDialog(QString(), &openDialog); });
    });
    trigger(_window(), "actionOpen");
    QVERIFY(saveDialog.shown);
    QCOMPARE(saveDialog.acceptMode, QFileDialog::AcceptSave);
    // The changes were not saved: no book is opened over them.
    QVERIFY(!openDialog.shown);
    QVERIFY(_document().modified);
    QCOMPARE(_synchronized(), 0);
}

void TestDocumentCommands::saveUnchangedNewBookWritesNothing()
{
    _watchForUnexpectedDialog();
    trigger(_window(), "actionSave");
    QCOMPARE(_unexpected, QString());
    QVERIFY(QDir(_fixture->scratch.path()).entryList(QDir::Files).isEmpty());
    QCOMPARE(_synchronized(), 0);
    QCOMPARE(_window()->windowTitle(), QStringLiteral("Culinor - NewBook"));
}

void TestDocumentCommands::saveEditedNewBookAsksForName()
{
    _edit();
    FileDialogSeen seen;
    answerFileDialog(_path(QStringLiteral("first")), &seen);
    trigger(_window(), "actionSave");
    QVERIFY(seen.shown);
    QCOMPARE(seen.title, QStringLiteral("Save Recipe book"));
    const QString saved = _path(QStringLiteral("first.carb"));
    QVERIFY(fileContent(saved).startsWith(FileId));
    QVERIFY(samePath(_document().fileName, saved));
    QVERIFY(!_document().modified);
    QCOMPARE(_synchronized(), 1);
    QCOMPARE(_window()->windowTitle(), QStringLiteral("Culinor - ") + _document().fileName);
    // The temporary file is gone.
    QCOMPARE(QDir(_fixture->scratch.path()).entryList({QStringLiteral("*.tmp")}), QStringList());
}

void TestDocumentCommands::saveNeverSavedBookIgnoresFileCalledNewBook()
{
    const QString stranger = _path(QStringLiteral("NewBook"));
    QVERIFY(writeFile(stranger, "the user's own file"));
    _edit();
    FileDialogSeen seen;
    answerFileDialog(QString(), &seen);
    trigger(_window(), "actionSave");
    QVERIFY(seen.shown);
    QCOMPARE(fileContent(stranger), QByteArray("the user's own file"));
    QVERIFY(_document().modified);
}

void TestDocumentCommands::saveWritesToCurrentFile()
{
    const QString file = _path(QStringLiteral("book.carb"));
    QVERIFY(_document().SaveDocument(file));
    QVERIFY(fileContent(file).size() > 248);
    _document().Clear();
    _edit();
    _watchForUnexpectedDialog();
    trigger(_window(), "actionSave");
    QCOMPARE(_unexpected, QString());
    QCOMPARE(fileContent(file).size(), 248); // now the empty book
    QCOMPARE(_document().fileName, file);
    QVERIFY(!_document().modified);
    QCOMPARE(_synchronized(), 1);
    QCOMPARE(_window()->windowTitle(), QStringLiteral("Culinor - ") + file);
}

void TestDocumentCommands::saveUnchangedSavedBookWritesNothing()
{
    const QString file = _path(QStringLiteral("book.carb"));
    QVERIFY(_document().SaveDocument(file));
    QVERIFY(writeFile(file, "marker"));
    _watchForUnexpectedDialog();
    trigger(_window(), "actionSave");
    QCOMPARE(_unexpected, QString());
    QCOMPARE(fileContent(file), QByteArray("marker"));
    QCOMPARE(_synchronized(), 0);
}

void TestDocumentCommands::saveMissingFileAsksForName()
{
    const QString file = _path(QStringLiteral("book.carb"));
    QVERIFY(_document().SaveDocument(file));
    QVERIFY(QFile::remove(file));
    _edit();
    FileDialogSeen seen;
    answerFileDialog(QString(), &seen);
    trigger(_window(), "actionSave");
    QVERIFY(seen.shown);
    QCOMPARE(seen.acceptMode, QFileDialog::AcceptSave);
    QVERIFY(!QFile::exists(file));
    QVERIFY(_document().modified);
}

void TestDocumentCommands::saveFailureKeepsState()
{
    // A folder stands where the book's file was: it cannot be replaced by a file.
    const QString target = _path(QStringLiteral("taken.carb"));
    QVERIFY(QDir().mkdir(target));
    _document().fileName = target;
    _edit();
    const QString title = _window()->windowTitle();
    MessageCapture messages;
    _watchForUnexpectedDialog();
    trigger(_window(), "actionSave");
    QCOMPARE(_unexpected, QString());
    QVERIFY(messages.contains(QStringLiteral("Saving error")));
    QCOMPARE(statusMessage(_window()), QStringLiteral("Saving error"));
    QCOMPARE(_document().fileName, target);
    QVERIFY(_document().modified);
    QCOMPARE(_window()->windowTitle(), title);
    QCOMPARE(_synchronized(), 1);
}

void TestDocumentCommands::saveAsDialogShape()
{
    FileDialogSeen seen;
    answerFileDialog(QString(), &seen);
    trigger(_window(), "actionSave_as");
    QVERIFY(seen.shown);
    QCOMPARE(seen.title, QStringLiteral("Save Recipe book"));
    QCOMPARE(seen.nameFilters, QStringList{QStringLiteral("Culinor documents(*.carb)")});
    QCOMPARE(seen.fileMode, QFileDialog::AnyFile);
    QCOMPARE(seen.acceptMode, QFileDialog::AcceptSave);
}

void TestDocumentCommands::saveAsSuffix_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("stored");
    QTest::newRow("no suffix") << "dinner" << "dinner.carb";
    QTest::newRow("suffix") << "dinner.carb" << "dinner.carb";
    QTest::newRow("upper-case suffix") << "dinner.CARB" << "dinner.CARB.carb";
    QTest::newRow("other suffix") << "dinner.book" << "dinner.book.carb";
    QTest::newRow("suffix alone") << ".carb" << ".carb";
}

void TestDocumentCommands::saveAsSuffix()
{
    QFETCH(QString, typed);
    QFETCH(QString, stored);
    answerFileDialog(_path(typed));
    trigger(_window(), "actionSave_as");
    const QString file = _path(stored);
    QVERIFY(fileContent(file).startsWith(FileId));
    if (typed != stored)
        QVERIFY(!QFile::exists(_path(typed)));
    QVERIFY(samePath(_document().fileName, file));
    QVERIFY(!_document().modified);
    QCOMPARE(_synchronized(), 1);
    QCOMPARE(_window()->windowTitle(), QStringLiteral("Culinor - ") + _document().fileName);
}

void TestDocumentCommands::saveAsSuffixOntoExistingFileAsks_data()
{
    QTest::addColumn<bool>("replace");
    QTest::newRow("replace") << true;
    QTest::newRow("keep") << false;
}

void TestDocumentCommands::saveAsSuffixOntoExistingFileAsks()
{
    QFETCH(bool, replace);
    const QString existing = _path(QStringLiteral("dinner.carb"));
    QVERIFY(writeFile(existing, "older book"));
    _edit();
    QString question;
    answerFileDialog(_path(QStringLiteral("dinner")), nullptr, [&question, replace]() {
        answerMessageBox(replace ? QMessageBox::Yes : QMessageBox::No, &question);
    });
    trigger(_window(), "actionSave_as");
    QCOMPARE(question, QStringLiteral("This file already exists. Replace it?"));
    if (replace) {
        QVERIFY(fileContent(existing).startsWith(FileId));
        QVERIFY(samePath(_document().fileName, existing));
        QVERIFY(!_document().modified);
    } else {
        QCOMPARE(fileContent(existing), QByteArray("older book"));
        QCOMPARE(_document().fileName, QStringLiteral("NewBook"));
        QVERIFY(_document().modified);
    }
}

void TestDocumentCommands::saveAsCancelledChangesNothing()
{
    _edit();
    answerFileDialog(QString());
    trigger(_window(), "actionSave_as");
    QVERIFY(_document().modified);
    QCOMPARE(_document().fileName, QStringLiteral("NewBook"));
    QCOMPARE(_synchronized(), 0);
    QVERIFY(QDir(_fixture->scratch.path()).entryList(QDir::Files).isEmpty());
}

QTEST_MAIN(TestDocumentCommands)
#include "tst_documentcommands.moc"
