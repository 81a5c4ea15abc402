#pragma once

#include <QColor>
#include <QWidget>

namespace keyrelay {

// A filled circle used as a status dot (running, hold, link). Its fill colour and whether
// it is shown are state other code reads: test "shown" with !isHidden().
class Indicator : public QWidget {
    Q_OBJECT
public:
    static inline const QColor Green{0, 192, 0};
    static inline const QColor Red{255, 0, 0};

    explicit Indicator(QWidget* parent, const QColor& fill = Red);

    ~Indicator() override;

    QColor fillColor() const { return fill_; }
    void setFillColor(const QColor& color);

    // Keeps `*flag` equal to "shown" (!isHidden()) from now until the dot is destroyed,
    // when it becomes false: other windows read the flag instead of the dot. The flag
    // must outlive the dot.
    void mirrorShownTo(bool* flag);
    void setVisible(bool visible) override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor fill_;
    bool* mirror_ = nullptr;
};

}  // namespace keyrelay
