// A captioned group of radio buttons that acts as one control with a selected item, as the
// AGP speed group does; it starts with no item selected.
#pragma once

#include <QGroupBox>
#include <QStringList>

class QButtonGroup;

namespace kv {

class TRadioGroup : public QGroupBox {
    Q_OBJECT
    Q_PROPERTY(int itemIndex READ itemIndex)
public:
    TRadioGroup(const QString& caption, const QStringList& items, int columns, QWidget* parent = nullptr);

    // -1 while no item is selected.
    int itemIndex() const;
    void setItemIndex(int index);

signals:
    // The selected item changed, by the user or by the program.
    void itemChanged(int index);

private:
    QButtonGroup* m_buttons;
};

} // namespace kv
