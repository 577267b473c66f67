#include "app/list_view_model.h"
#include "results/results_list.h"

#include <QAbstractItemModelTester>
#include <QBrush>
#include <QSignalSpy>
#include <QtTest>

using namespace pelk;

class ListViewModelTest : public QObject {
    Q_OBJECT

  private Q_SLOTS:
    void init();
    void cleanup();

    void showsHeadersWithTheirColumnsAlignment();
    void rowsAppearAsTheyAreAdded();
    void cellWritesAreRedrawn();
    void noBackgroundUntilShaded();
    void shadingColoursEveryRowByPosition();
    void aSortIsOneLayoutChange();
    void rowsAddedWhileDrawingIsSuspendedResetTheView();
    void stopsObservingWhenDestroyed();

  private:
    void addRow(const std::string &date, const std::string &tn, const std::string &tx);

    std::unique_ptr<ListView> list_;
    std::unique_ptr<ListViewModel> model_;
    std::unique_ptr<QAbstractItemModelTester> tester_;
};

void ListViewModelTest::init() {
    list_ = std::make_unique<ListView>();
    AddResultColumns(*list_);
    model_ = std::make_unique<ListViewModel>(*list_);
    // Checks every signal the adapter sends against what the model then answers.
    tester_ = std::make_unique<QAbstractItemModelTester>(
        model_.get(), QAbstractItemModelTester::FailureReportingMode::QtTest);
}

void ListViewModelTest::cleanup() {
    tester_.reset();
    model_.reset();
    list_.reset();
}

void ListViewModelTest::addRow(const std::string &date, const std::string &tn,
                               const std::string &tx) {
    const std::int32_t position = list_->Count() + 1;
    list_->Add(position, date);
    list_->setCellText(position, 1, tn);
    list_->setCellText(position, 2, tx);
}

void ListViewModelTest::showsHeadersWithTheirColumnsAlignment() {
    QCOMPARE(model_->columnCount(), 3);
    QCOMPARE(model_->rowCount(), 0);
    const QStringList texts = {"Date", "Tn", "Tx"};
    const Qt::Alignment alignments[] = {Qt::AlignLeft, Qt::AlignHCenter, Qt::AlignHCenter};
    for (int c = 0; c < 3; ++c) {
        QCOMPARE(model_->headerData(c, Qt::Horizontal).toString(), texts.at(c));
        QCOMPARE(
            model_->headerData(c, Qt::Horizontal, Qt::TextAlignmentRole).value<Qt::Alignment>() &
                Qt::AlignHorizontal_Mask,
            alignments[c]);
    }
    QVERIFY(!model_->headerData(3, Qt::Horizontal).isValid());
    QVERIFY(!model_->headerData(0, Qt::Vertical).isValid());
}

void ListViewModelTest::rowsAppearAsTheyAreAdded() {
    QSignalSpy inserted(model_.get(), &QAbstractItemModel::rowsInserted);
    addRow("2008-03-05", "2,5", "12,5");
    addRow("2008-03-06", "4", "15,5");

    QCOMPARE(inserted.size(), 2);
    QCOMPARE(inserted.at(1).at(1).toInt(), 1);
    QCOMPARE(model_->rowCount(), 2);
    QCOMPARE(model_->index(0, 0).data().toString(), QStringLiteral("2008-03-05"));
    QCOMPARE(model_->index(1, 2).data().toString(), QStringLiteral("15,5"));
    QCOMPARE(model_->index(1, 1).data(Qt::TextAlignmentRole).value<Qt::Alignment>() &
                 Qt::AlignHorizontal_Mask,
             Qt::AlignHCenter);
    QVERIFY(!(model_->flags(model_->index(0, 0)) & Qt::ItemIsEditable));
}

void ListViewModelTest::cellWritesAreRedrawn() {
    addRow("2008-03-05", "", "");
    QSignalSpy changed(model_.get(), &QAbstractItemModel::dataChanged);
    list_->setCellText(1, 2, "12,5");

    QCOMPARE(changed.size(), 1);
    QCOMPARE(changed.at(0).at(0).toModelIndex(), model_->index(0, 2));
    QCOMPARE(model_->index(0, 2).data().toString(), QStringLiteral("12,5"));
}

void ListViewModelTest::noBackgroundUntilShaded() {
    addRow("2008-03-05", "2,5", "12,5");
    QVERIFY(!model_->index(0, 0).data(Qt::BackgroundRole).isValid());
}

void ListViewModelTest::shadingColoursEveryRowByPosition() {
    for (int day = 1; day <= 5; ++day)
        addRow("2008-03-0" + std::to_string(day), "1", "2");
    QSignalSpy changed(model_.get(), &QAbstractItemModel::dataChanged);
    QSignalSpy appearance(model_.get(), &ListViewModel::listAppearanceChanged);
    ApplyRowShading(*list_);

    QCOMPARE(appearance.size(), 1);
    QCOMPARE(changed.size(), 1);
    QCOMPARE(changed.at(0).at(0).toModelIndex(), model_->index(0, 0));
    QCOMPARE(changed.at(0).at(1).toModelIndex(), model_->index(4, 2));
    for (int row = 0; row < 5; ++row) {
        const QColor expected = row % 2 == 0 ? QColor(238, 253, 253) : QColor(255, 255, 192);
        for (int column = 0; column < 3; ++column)
            QCOMPARE(model_->index(row, column).data(Qt::BackgroundRole).value<QBrush>().color(),
                     expected);
    }
}

void ListViewModelTest::aSortIsOneLayoutChange() {
    addRow("2008-03-05", "7", "12,5");
    addRow("2008-03-06", "-3,2", "2,5");
    addRow("2008-03-07", "0", "15");
    QSignalSpy aboutToChange(model_.get(), &QAbstractItemModel::layoutAboutToBeChanged);
    QSignalSpy changed(model_.get(), &QAbstractItemModel::layoutChanged);
    QSignalSpy cells(model_.get(), &QAbstractItemModel::dataChanged);
    QSignalSpy reset(model_.get(), &QAbstractItemModel::modelReset);

    Lv_ColumnClick(*list_, 2, ','); // Tn

    QCOMPARE(aboutToChange.size(), 1);
    QCOMPARE(changed.size(), 1);
    QCOMPARE(cells.size(), 0); // the keys written and restored inside the bracket never show
    QCOMPARE(reset.size(), 0);
    QStringList tn;
    for (int row = 0; row < 3; ++row)
        tn << model_->index(row, 1).data().toString();
    const QStringList ascending = {"-3,2", "0", "7"};
    QStringList descending = ascending;
    std::reverse(descending.begin(), descending.end());
    QCOMPARE(tn, list_->SortOrder() == 0 ? ascending : descending);
}

void ListViewModelTest::rowsAddedWhileDrawingIsSuspendedResetTheView() {
    addRow("2008-03-05", "7", "12,5");
    QSignalSpy reset(model_.get(), &QAbstractItemModel::modelReset);
    list_->suspendDrawing();
    list_->Add(2, "2008-03-06");
    list_->resumeDrawing();

    QCOMPARE(reset.size(), 1);
    QCOMPARE(model_->rowCount(), 2);
    QCOMPARE(model_->index(1, 0).data().toString(), QStringLiteral("2008-03-06"));
}

void ListViewModelTest::stopsObservingWhenDestroyed() {
    tester_.reset();
    model_.reset();
    addRow("2008-03-05", "7", "12,5"); // would reach a destroyed adapter
    ApplyRowShading(*list_);
    QCOMPARE(list_->Count(), 1);
}

QTEST_MAIN(ListViewModelTest)
#include "list_view_model_test.moc"
