pragma Singleton
import QtQuick

// The colours and sizes the screens share, and the one item-tree helper they need.
QtObject {
    readonly property color navigationBar: Qt.rgba(10 / 255, 51 / 255, 83 / 255, 1)
    readonly property color header: Qt.rgba(55 / 255, 78 / 255, 117 / 255, 1)
    readonly property color headerSeparator: Qt.rgba(120 / 255, 133 / 255, 161 / 255, 1)
    readonly property color indicator: Qt.rgba(232 / 255, 65 / 255, 24 / 255, 1)
    readonly property color rowDescription: Qt.rgba(70 / 255, 70 / 255, 70 / 255, 1)
    readonly property color selectedRow: Qt.rgba(224 / 255, 224 / 255, 224 / 255, 1)
    readonly property color emptyBackground: Qt.rgba(224 / 255, 224 / 255, 224 / 255, 1)
    readonly property color screenBackground: Qt.rgba(240 / 255, 240 / 255, 240 / 255, 1)
    readonly property color fieldBorder: Qt.rgba(170 / 255, 170 / 255, 170 / 255, 1)
    readonly property color loginButton: Qt.rgba(200 / 255, 200 / 255, 200 / 255, 1)
    readonly property color rowSeparator: Qt.rgba(200 / 255, 199 / 255, 204 / 255, 1)
    readonly property color darkGray: Qt.rgba(1 / 3, 1 / 3, 1 / 3, 1)
    readonly property color tint: Qt.rgba(0, 122 / 255, 1, 1)
    readonly property color switchTrackOff: Qt.rgba(220 / 255, 220 / 255, 224 / 255, 1)
    readonly property color destructive: Qt.rgba(1, 59 / 255, 48 / 255, 1)
    readonly property int navigationBarHeight: 50

    // Whether `item` is `ancestor` or lies inside it (QQuickItem's own check is not callable from QML).
    function contains(ancestor, item) {
        for (let current = item; current; current = current.parent) {
            if (current === ancestor)
                return true
        }
        return false
    }
}
