#include "liveaccessible.h"

#include <QAccessibleWidget>
#include <QHash>
#include <QWidget>

namespace toolkit {

namespace {

QHash<const QObject *, LiveText> &liveTexts()
{
    static QHash<const QObject *, LiveText> texts;
    return texts;
}

class LiveAccessible : public QAccessibleWidget {
public:
    explicit LiveAccessible(QWidget *control) : QAccessibleWidget(control) {}

    QString text(QAccessible::Text t) const override
    {
        const auto it = liveTexts().constFind(object());
        if (it != liveTexts().constEnd() && (t == QAccessible::Name || t == QAccessible::Description))
            return (*it)(t);
        return QAccessibleWidget::text(t);
    }
};

// Asked for every class of the control's hierarchy, the most derived first.
QAccessibleInterface *liveFactory(const QString &, QObject *object)
{
    if (object && object->isWidgetType() && liveTexts().contains(object))
        return new LiveAccessible(static_cast<QWidget *>(object));
    return nullptr;
}

} // namespace

void setLiveAccessibleText(QWidget *control, LiveText text)
{
    static bool installed = false;
    if (!installed) {
        QAccessible::installFactory(liveFactory);
        installed = true;
    }
    liveTexts().insert(control, std::move(text));
    QObject::connect(control, &QObject::destroyed, [control] { liveTexts().remove(control); });
}

void announceChange(QWidget *control)
{
    if (!QAccessible::isActive())
        return;
    QAccessibleEvent name(control, QAccessible::NameChanged);
    QAccessible::updateAccessibility(&name);
    QAccessibleEvent description(control, QAccessible::DescriptionChanged);
    QAccessible::updateAccessibility(&description);
}

} // namespace toolkit
