// The report of a publish: how it ended (files sent, a failure, a cancel,
// a server that refused SITE), and per script that went the answer of an
// HTTP GET at the public URL: status and time, and for a server error the
// first lines of the answer and the likely causes.
#pragma once

#include "publish/PublishUpload.h"
#include "publish/PublishVerify.h"

#include <QDialog>
#include <vector>

class QLabel;
class QPlainTextEdit;
class QTreeWidget;

class CPublishReportDLG : public QDialog {
    Q_OBJECT
public:
    CPublishReportDLG(const PublishUploadResult& upload, std::size_t planned,
                      std::vector<PublishProbe> probes, bool urlMissing, QWidget* parent = nullptr);

    // For the tests: the texts as the user sees them.
    QString SummaryText() const;
    QTreeWidget* Table() const { return table_; }
    QString DetailText() const;
    void ShowDetail(int row);

private:
    std::vector<PublishProbe> probes_;
    QLabel* summary_ = nullptr;
    QTreeWidget* table_ = nullptr;
    QPlainTextEdit* detail_ = nullptr;
};
