// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/list_view_model.h"
#include "results/results_list.h"

#include <QBrush>
#include <QtTest>

using namespace pelk;

class ListViewModelTest : public QObject {
    Q_OBJECT

    std::unique_ptr<ListView> list_;
    std::unique_ptr<ListViewModel> model_;
    std::unique_ptr<QAbstractItemModelTester> tester_;

    // Rows added one by one and their cells written after, as the window fills the list.
    void addRows(std::initializer_list<std::array<const char *, 3>> rows) {
        for (const auto &[date, tn, tx] : rows) {
            const std::int32_t position = list_->Count() + 1;
            list_->Add(position, date);
            list_->setCellText(position, 1, tn);
            list_->setCellText(position, 2, tx);
        }
    }
    QVariant data(int row, int column, int role = Qt::DisplayRole) const {
        return model_->index(row, column).data(role);
    }

  private Q_SLOTS:
    void init() {
        list_ = std::make_unique<ListView>();
        AddResultColumns(*list_);
        model_ = std::make_unique<ListViewModel>(*list_);
        // Checks every signal the adapter sends against what the model then answers.
        tester_ = std::make_unique<QAbstractItemModelTester>(
            model_.get(), QAbstractItemModelTester::FailureReportingMode::QtTest);
    }

    void cleanup() {
        tester_.reset();
        model_.reset();
        list_.reset();
    }

    void headersAndCellsAreAlignedLikeTheirColumn() {
        addRows({{"2008-03-05", "7", "12,5"}});
        const QStringList titles = {"Date", "Tn", "Tx"};
        const Qt::Alignment alignments[] = {Qt::AlignLeft, Qt::AlignHCenter, Qt::AlignHCenter};
        for (int column = 0; column < 3; ++column) {
            QCOMPARE(model_->headerData(column, Qt::Horizontal).toString(), titles[column]);
            for (const QVariant &alignment :
                 {model_->headerData(column, Qt::Horizontal, Qt::TextAlignmentRole),
                  data(0, column, Qt::TextAlignmentRole)})
                QCOMPARE(alignment.value<Qt::Alignment>() & Qt::AlignHorizontal_Mask,
                         alignments[column]);
        }
        QVERIFY(!model_->headerData(3, Qt::Horizontal).isValid()); // past the last: nothing
        QCOMPARE(model_->rowCount(model_->index(0, 0)), 0);        // a table: no row has children
    }

    void fillShadeAndSortReachTheViewAsTheyHappen() {
        QSignalSpy inserted(model_.get(), &QAbstractItemModel::rowsInserted);
        QSignalSpy changed(model_.get(), &QAbstractItemModel::dataChanged);
        addRows({{"2008-03-05", "7", "12,5"},
                 {"2008-03-06", "-3,2", "2,5"},
                 {"2008-03-07", "0", "15"}});
        QCOMPARE(inserted.size(), 3);
        QCOMPARE(changed.size(), 6); // one per cell written
        QCOMPARE(changed.last()[0].toModelIndex(), model_->index(2, 2));

        QSignalSpy appearance(model_.get(), &ListViewModel::listAppearanceChanged);
        changed.clear();
        ApplyRowShading(*list_);
        QCOMPARE(appearance.size(), 1);
        QCOMPARE(changed.size(), 1); // every row's colour, redrawn at once
        QCOMPARE(changed[0][1].toModelIndex(), model_->index(2, 2));

        QSignalSpy layouts(model_.get(), &QAbstractItemModel::layoutChanged);
        QSignalSpy resets(model_.get(), &QAbstractItemModel::modelReset);
        changed.clear();
        Lv_ColumnClick(*list_, 2, ','); // by Tn, descending: 7, 0, -3,2
        QCOMPARE(layouts.size(), 1);
        QVERIFY(changed.isEmpty() && resets.isEmpty()); // the sort keys written inside never show
        // The rows moved (2008-03-07 now second); the colours stay with the positions.
        const QColor colours[] = {{238, 253, 253}, {255, 255, 192}};
        for (int row = 0; row < 3; ++row)
            QCOMPARE(data(row, 0, Qt::BackgroundRole).value<QBrush>().color(), colours[row % 2]);
    }

    void rowsAddedInsideABracketAreToldAsAReset() { // a layout change alone keeps the old rows
        QSignalSpy resets(model_.get(), &QAbstractItemModel::modelReset);
        list_->suspendDrawing();
        addRows({{"2008-03-05", "7", "12,5"}});
        list_->resumeDrawing();
        QCOMPARE(resets.size(), 1);
    }
};

QTEST_MAIN(ListViewModelTest)
#include "list_view_model_test.moc"
