#include "accessibility_audit.h"

#include <algorithm>

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractScrollArea>
#include <QAbstractSlider>
#include <QAbstractSpinBox>
#include <QAccessible>
#include <QAccessibleTableInterface>
#include <QAction>
#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTabBar>
#include <QTextDocument>
#include <QTextEdit>

namespace korvalen::fixtures {
namespace {

QString NameOf(QAccessibleInterface* iface) {
    return iface == nullptr ? QString() : iface->text(QAccessible::Name).trimmed();
}

// "StringGrid2 (HistoryGridView)", or for a part without an object name
// its class inside the nearest named parent.
std::string Describe(const QObject* object) {
    std::string text = object->objectName().isEmpty() ? std::string("(unnamed)") : object->objectName().toStdString();
    text += std::string(" (") + object->metaObject()->className() + ")";
    for (const QObject* parent = object->parent(); object->objectName().isEmpty() && parent != nullptr;
         parent = parent->parent()) {
        if (!parent->objectName().isEmpty()) {
            text += " in " + parent->objectName().toStdString();
            break;
        }
    }
    return text;
}

// Parts a control is made of, which the accessibility interface shows as
// the control itself or not at all: a spin box's text field, a scroll
// area's viewport and scroll bars, a view's headers (its table shows them)
// and corner button. A view's cell editor lives in its viewport and counts.
bool IsInnerPart(const QWidget* widget) {
    if (qobject_cast<const QScrollBar*>(widget) != nullptr || qobject_cast<const QHeaderView*>(widget) != nullptr)
        return true;
    const QWidget* parent = widget->parentWidget();
    if (parent == nullptr) return false;
    if (qobject_cast<const QAbstractSpinBox*>(parent) != nullptr || qobject_cast<const QComboBox*>(parent) != nullptr ||
        qobject_cast<const QAbstractItemView*>(parent) != nullptr)
        return true;
    if (const auto* area = qobject_cast<const QAbstractScrollArea*>(parent);
        area != nullptr && area->viewport() == widget)
        return true;
    return false;
}

// The widgets a user works with or reads: the kinds of control, labels
// that show a text or a picture, and anything else Tab can reach.
bool IsControl(const QWidget* widget) {
    if (qobject_cast<const QAbstractButton*>(widget) != nullptr || qobject_cast<const QLineEdit*>(widget) != nullptr ||
        qobject_cast<const QTextEdit*>(widget) != nullptr || qobject_cast<const QPlainTextEdit*>(widget) != nullptr ||
        qobject_cast<const QComboBox*>(widget) != nullptr || qobject_cast<const QAbstractSpinBox*>(widget) != nullptr ||
        qobject_cast<const QAbstractItemView*>(widget) != nullptr || qobject_cast<const QTabBar*>(widget) != nullptr ||
        qobject_cast<const QProgressBar*>(widget) != nullptr || qobject_cast<const QAbstractSlider*>(widget) != nullptr)
        return true;
    if (const auto* label = qobject_cast<const QLabel*>(widget)) {
        return !label->text().trimmed().isEmpty() || !label->pixmap().isNull();
    }
    if (const auto* group = qobject_cast<const QGroupBox*>(widget)) return group->isCheckable();
    return (widget->focusPolicy() & Qt::TabFocus) != 0;
}

// The items of a menu and of its submenus, separators aside.
void CheckMenu(QWidget* menu, const std::string& where, std::vector<std::string>& faults) {
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(menu);
    if (iface == nullptr) {
        faults.push_back(where + ": no accessible interface");
        return;
    }
    const QList<QAction*> actions = menu->actions();
    for (int i = 0; i < actions.size(); ++i) {
        QAction* action = actions[i];
        if (action->isSeparator() || !action->isVisible()) continue;
        QAccessibleInterface* item = iface->child(i);
        const std::string itemName =
            action->objectName().isEmpty() ? action->text().toStdString() : action->objectName().toStdString();
        if (NameOf(item).isEmpty()) faults.push_back(where + " › item " + std::to_string(i) + " " + itemName);
        if (QMenu* sub = action->menu()) CheckMenu(sub, where + " › " + NameOf(item).toStdString(), faults);
    }
}

// A label's text without its markup.
QString PlainText(const QLabel& label) {
    QString text = label.text();
    if (label.textFormat() == Qt::RichText || (label.textFormat() == Qt::AutoText && Qt::mightBeRichText(text))) {
        QTextDocument document;
        document.setHtml(text);
        text = document.toPlainText();
    }
    return text;
}

// The text a label or a button shows, which a reader must get.
QString ShownText(const QWidget* widget) {
    if (const auto* label = qobject_cast<const QLabel*>(widget)) return PlainText(*label);
    if (const auto* button = qobject_cast<const QAbstractButton*>(widget)) return button->text();
    return {};
}

// For comparing: without mnemonics and key letters ("(&E)", "(E)", "&"), a
// closing ellipsis or colon, and white space, which a name may leave out or
// break differently.
QString Readable(QString text) {
    static const QRegularExpression mnemonic(QStringLiteral("\\(&?[A-Za-z0-9]\\)|&(?=.)"));
    static const QRegularExpression ending(QStringLiteral("(\\.\\.\\.|…|:|：)$"));
    static const QRegularExpression space(QStringLiteral("\\s+"));
    return text.remove(mnemonic).remove(space).remove(ending);
}

// A text of signs alone (◀, ×) is a picture; its name says what it means.
bool HasWords(const QString& text) {
    return std::any_of(text.begin(), text.end(), [](QChar c) { return c.isLetterOrNumber(); });
}

bool HasLabel(QAccessibleInterface* iface) {
    for (const auto& [other, relation] : iface->relations(QAccessible::Label)) {
        if (other != nullptr && qobject_cast<QLabel*>(other->object()) != nullptr && !NameOf(other).isEmpty())
            return true;
    }
    return false;
}

}  // namespace

std::vector<std::string> NamelessControls(QWidget* window) {
    std::vector<std::string> faults;
    QList<QWidget*> widgets = window->findChildren<QWidget*>();
    widgets.prepend(window);
    for (QWidget* widget : widgets) {
        if (widget->window() != window || !widget->isVisible() || IsInnerPart(widget)) continue;
        if (auto* bar = qobject_cast<QMenuBar*>(widget)) {
            CheckMenu(bar, Describe(bar), faults);
            continue;
        }
        if (widget != window && !IsControl(widget)) continue;
        QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(widget);
        if (iface == nullptr || !iface->isValid()) {
            faults.push_back(Describe(widget) + ": no accessible interface");
            continue;
        }
        const QString name = NameOf(iface);
        if (name.isEmpty()) faults.push_back(Describe(widget));
        // A name given to a label or a button stands in for its text: what
        // it shows must still be in what is read.
        const QString shown = ShownText(widget);
        if (HasWords(shown) && !Readable(name).contains(Readable(shown)))
            faults.push_back(Describe(widget) + " reads \"" + name.toStdString() + "\" for \"" + shown.toStdString() +
                             "\"");
        if (auto* combo = qobject_cast<QComboBox*>(widget)) {
            // The desktop's bridge reads a combo box's value as its name; what
            // it is for comes only from the label that has it as its buddy.
            if (!HasLabel(iface)) faults.push_back(Describe(widget) + ": no label names it");
            for (int i = 0; i < combo->count(); ++i) {
                if (combo->itemText(i).trimmed().isEmpty())
                    faults.push_back(Describe(widget) + " › item " + std::to_string(i));
            }
        }
        if (auto* tabs = qobject_cast<QTabBar*>(widget)) {
            for (int i = 0; i < tabs->count(); ++i) {
                if (NameOf(iface->child(i)).isEmpty())
                    faults.push_back(Describe(widget) + " › tab " + std::to_string(i));
            }
        }
    }
    return faults;
}

std::vector<std::string> TableFaults(QWidget* window) {
    std::vector<std::string> faults;
    for (QAbstractItemView* view : window->findChildren<QAbstractItemView*>()) {
        if (view->window() != window || !view->isVisible() || view->model() == nullptr || IsInnerPart(view)) continue;
        const std::string where = Describe(view);
        QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(view);
        QAccessibleTableInterface* table = iface == nullptr ? nullptr : iface->tableInterface();
        if (table == nullptr) {
            faults.push_back(where + ": no accessible table");
            continue;
        }
        const QAbstractItemModel* model = view->model();
        const QModelIndex root = view->rootIndex();
        if (table->rowCount() != model->rowCount(root) || table->columnCount() != model->columnCount(root)) {
            faults.push_back(where + ": " + std::to_string(table->rowCount()) + " × " +
                             std::to_string(table->columnCount()) + " cells for a model of " +
                             std::to_string(model->rowCount(root)) + " × " + std::to_string(model->columnCount(root)));
            continue;
        }
        // A few wrong cells say enough about a view.
        int wrong = 0;
        for (int r = 0; r < table->rowCount() && wrong < 3; ++r) {
            for (int c = 0; c < table->columnCount() && wrong < 3; ++c) {
                const QString shown = model->index(r, c, root).data(Qt::DisplayRole).toString().trimmed();
                QAccessibleInterface* cell = table->cellAt(r, c);
                const QString read = NameOf(cell);
                if (cell == nullptr || read != shown) {
                    ++wrong;
                    faults.push_back(where + ": cell " + std::to_string(r) + "," + std::to_string(c) + " reads \"" +
                                     read.toStdString() + "\" for \"" + shown.toStdString() + "\"");
                }
            }
        }
    }
    return faults;
}

std::vector<std::string> AccessibilityFaults(QWidget* window) {
    std::vector<std::string> faults = NamelessControls(window);
    for (std::string& fault : TableFaults(window)) faults.push_back(std::move(fault));
    return faults;
}

}  // namespace korvalen::fixtures
