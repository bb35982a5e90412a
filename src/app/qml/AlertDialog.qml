import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Templates as T
import Orvendel

// The alert the flows present: title, message and buttons, or a spinner while something is saved.
Popup {
    id: dialog

    required property AlertPresenter presenter

    objectName: "alertDialog"
    parent: T.Overlay.overlay
    x: Math.round((parent.width - width) / 2)
    y: Math.round((parent.height - height) / 2)
    width: 300
    modal: true
    focus: true
    padding: 0
    visible: presenter.shown
    closePolicy: Popup.NoAutoClose
    T.Overlay.modal: Rectangle { color: Qt.rgba(0, 0, 0, 0.4) }
    onOpened: focusDefault()

    readonly property int defaultIndex: presenter.defaultIndex

    // Every alert opens with its default button focused, also one that replaces another in the open dialog
    // ("Saving..." followed by "Error Saving Delays").
    function focusDefault() {
        const button = defaultIndex >= 0 ? buttonRepeater.itemAt(defaultIndex) : null
        if (button)
            button.forceActiveFocus()
        else
            scope.forceActiveFocus()
    }
    Connections {
        target: dialog.presenter
        function onChanged() {
            if (dialog.presenter.shown)
                Qt.callLater(dialog.focusDefault)
        }
    }

    function chooseDefault() {
        if (defaultIndex >= 0)
            presenter.choose(defaultIndex)
    }

    background: Rectangle {
        color: Qt.rgba(248 / 255, 248 / 255, 248 / 255, 1)
        radius: 12
    }

    contentItem: FocusScope {
        id: scope
        implicitHeight: content.implicitHeight
        focus: true
        Keys.onEscapePressed: dialog.presenter.cancel()
        Keys.onReturnPressed: dialog.chooseDefault()
        Keys.onEnterPressed: dialog.chooseDefault()

        Column {
            id: content
            width: parent.width

            Item { width: 1; height: 20 }

            Text {
                objectName: "alertTitle"
                width: parent.width - 32
                x: 16
                visible: text.length > 0
                text: dialog.presenter.title
                font.bold: true
                font.pixelSize: 17
                color: "black"
                wrapMode: Text.WordWrap
                horizontalAlignment: Text.AlignHCenter
                Accessible.role: Accessible.StaticText
                Accessible.name: text
            }

            Item { width: 1; height: 6 }

            Text {
                objectName: "alertMessage"
                width: parent.width - 32
                x: 16
                visible: text.length > 0
                text: dialog.presenter.message
                font.pixelSize: 14
                color: "black"
                wrapMode: Text.WordWrap
                horizontalAlignment: Text.AlignHCenter
                Accessible.role: Accessible.StaticText
                Accessible.name: text
            }

            BusyIndicator {
                objectName: "alertSpinner"
                anchors.horizontalCenter: parent.horizontalCenter
                width: 50
                height: visible ? 50 : 0
                visible: dialog.presenter.busy
                running: visible
            }

            Item { width: 1; height: 20 }

            Rectangle {
                width: parent.width
                height: 1
                color: Qt.rgba(0, 0, 0, 0.15)
                visible: buttonRepeater.count > 0
            }

            Item {
                id: buttonRow
                width: parent.width
                height: buttonRepeater.count > 0 ? 44 : 0
                Repeater {
                    id: buttonRepeater
                    model: dialog.presenter.buttons
                    delegate: AbstractButton {
                        id: alertButton
                        required property int index
                        required property var modelData
                        objectName: "alertButton_" + modelData.title
                        // Placed by index rather than by a Row, so they are where they belong from the first frame.
                        width: buttonRow.width / Math.max(1, dialog.presenter.buttons.length)
                        x: index * width
                        height: 44
                        text: modelData.title
                        focusPolicy: Qt.StrongFocus
                        Accessible.role: Accessible.Button
                        Accessible.name: text
                        Keys.onReturnPressed: clicked()
                        Keys.onEnterPressed: clicked()
                        Keys.onLeftPressed: nextItemInFocusChain(false).forceActiveFocus()
                        Keys.onRightPressed: nextItemInFocusChain(true).forceActiveFocus()
                        onClicked: dialog.presenter.choose(index)
                        contentItem: Text {
                            text: alertButton.text
                            font.pixelSize: 17
                            font.bold: alertButton.modelData.cancel
                            color: Theme.tint
                            horizontalAlignment: Text.AlignHCenter
                            verticalAlignment: Text.AlignVCenter
                        }
                        background: Rectangle {
                            color: alertButton.down ? Qt.rgba(0, 0, 0, 0.08) : "transparent"
                            border.width: alertButton.visualFocus ? 2 : 0
                            border.color: Theme.tint
                            radius: 6
                        }
                    }
                }
            }
        }
    }
}
