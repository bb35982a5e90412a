#pragma once

#include <QObject>
#include <QString>
#include <QtQml/qqmlregistration.h>

#include <optional>
#include <string>

namespace orvendel::app {

// The comment editor: the text being written, whether a proposed change fits (120 user-perceived characters,
// no control characters but line feeds and tabs), the running count and "Update"'s state; "Update" hands
// the trimmed text on.
// Thread contract: the GUI thread only.
class CommentEditorController : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("Made by the delay pages")
    Q_PROPERTY(QString title READ title CONSTANT)
    Q_PROPERTY(QString text READ text NOTIFY textChanged)
    Q_PROPERTY(QString countText READ countText NOTIFY textChanged)
    Q_PROPERTY(bool updateEnabled READ updateEnabled NOTIFY textChanged)

public:
    CommentEditorController(std::optional<std::string> originalComment, QObject* parent = nullptr);

    QString title() const { return QStringLiteral("Comment"); }
    QString text() const { return QString::fromStdString(m_text); }
    QString countText() const;
    bool updateEnabled() const { return m_updateEnabled; }

    // A change the text field proposes: kept when the new text fits, refused whole otherwise (the field then
    // shows `text` again).
    Q_INVOKABLE bool propose(const QString& text);
    // "Update": the text without surrounding blanks and line breaks is handed on.
    Q_INVOKABLE void update();
    // "Close" or a tap beside the panel: nothing is applied.
    Q_INVOKABLE void close() { emit finished(); }

signals:
    void textChanged();
    void updated(const QString& text);
    void finished();

private:
    std::optional<std::string> m_originalComment;
    std::string m_text;
    bool m_updateEnabled = true; // enabled when the editor opens, whatever the text
};

} // namespace orvendel::app
