#pragma once
// The drive list: a drop-down list of the mounted volumes that draws its own
// items (the volume kind's bitmap and the item text). It wraps a
// DriveListModel and passes the model's events on.

#include "browse/DriveListModel.h"

#include <QComboBox>

namespace glyphor {

class TDriveComboBox : public QComboBox {
    Q_OBJECT
public:
    explicit TDriveComboBox(QWidget* parent = nullptr);

    DriveListModel* driveModel() const { return m_model; }

    QString drive() const { return m_model->drive(); }
    void setDrive(const QString& root) { m_model->setDrive(root); }
    DriveListModel::TextCase textCase() const { return m_model->textCase(); }
    void setTextCase(DriveListModel::TextCase textCase) { m_model->setTextCase(textCase); }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    void changed(); // OnChange of the model
    void itemClicked(); // OnClick of the model: a pick by the user

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void fillFromModel();
    void showSelection();

    DriveListModel* m_model;
    bool m_syncing = false;
};

} // namespace glyphor
