import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Templates as T
import Orvendel

// The comment editor: a 500 × 200 panel 100 points from the top over a dimmed screen. Changes that would
// pass 120 characters are refused whole; "Update" (or Ctrl+Return) hands the trimmed text to the page,
// "Close", Escape or a tap beside the panel leave the delay as it was.
Popup {
    id: editor

    property CommentEditorController controller: null

    objectName: "commentEditor"
    parent: T.Overlay.overlay
    width: 500
    height: 200
    x: Math.round((parent.width - width) / 2)
    y: 100
    padding: 0
    modal: true
    focus: true
    visible: controller !== null
    closePolicy: Popup.CloseOnEscape | Popup.CloseOnPressOutside
    T.Overlay.modal: Rectangle {
        color: Qt.rgba(0, 0, 0, 0.5)
        Behavior on opacity { NumberAnimation { duration: 200 } }
    }
    enter: Transition { NumberAnimation { property: "opacity"; from: 0; to: 1; duration: 200 } }
    exit: Transition { NumberAnimation { property: "opacity"; from: 1; to: 0; duration: 200 } }
    onClosed: if (controller) controller.close()
    onOpened: field.forceActiveFocus()

    background: Rectangle {
        color: Qt.rgba(224 / 255, 224 / 255, 224 / 255, 1)
        radius: 10
        clip: true
    }

    contentItem: Item {
        NavigationBar {
            id: bar
            anchors.top: parent.top
            anchors.left: parent.left
            anchors.right: parent.right
            implicitHeight: 44
            title: editor.controller ? editor.controller.title : ""
            leftItem: BarButton {
                objectName: "commentEditorClose"
                label: qsTr("Close")
                onClicked: editor.close()
            }
            rightItem: BarButton {
                objectName: "commentEditorUpdate"
                label: qsTr("Update")
                enabled: editor.controller !== null && editor.controller.updateEnabled
                onClicked: editor.controller.update()
            }
        }

        ScrollView {
            anchors.top: bar.bottom
            anchors.left: parent.left
            anchors.right: parent.right
            anchors.bottom: count.top
            anchors.margins: 8

            TextArea {
                id: field
                objectName: "commentField"
                text: editor.controller ? editor.controller.text : ""
                font.pixelSize: 18
                color: Theme.darkGray
                wrapMode: TextEdit.Wrap
                background: null
                Accessible.name: qsTr("Comment")
                // A change that does not fit is refused whole: the field goes back to the kept text.
                onTextChanged: {
                    if (!editor.controller || editor.controller.propose(text))
                        return
                    const position = Math.max(0, cursorPosition - (text.length - editor.controller.text.length))
                    text = editor.controller.text
                    cursorPosition = Math.min(position, text.length)
                }
                Keys.onPressed: event => {
                    if ((event.key === Qt.Key_Return || event.key === Qt.Key_Enter)
                            && (event.modifiers & Qt.ControlModifier)) {
                        if (editor.controller.updateEnabled)
                            editor.controller.update()
                        event.accepted = true
                    }
                }
            }
        }

        Text {
            id: count
            objectName: "characterCountLabel"
            anchors.bottom: parent.bottom
            anchors.bottomMargin: 6
            anchors.horizontalCenter: parent.horizontalCenter
            text: editor.controller ? editor.controller.countText : ""
            font.pixelSize: 14
            color: Theme.darkGray
        }
    }
}
