import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Templates as T
import Orvendel

// The settings sheet: the automatic-save switch, the report's shifts and "Logout", in a grouped table of
// 60-point rows.
Popup {
    id: sheet

    required property SettingsController controller

    parent: T.Overlay.overlay
    x: Math.round((parent.width - width) / 2)
    y: Math.round((parent.height - height) / 2)
    width: 540
    height: Math.min(620, parent.height - 40)
    modal: true
    focus: true
    padding: 0
    closePolicy: Popup.CloseOnEscape
    onAboutToShow: sheet.controller.reload()
    onOpened: closeButton.forceActiveFocus()

    T.Overlay.modal: Rectangle { color: Qt.rgba(0, 0, 0, 0.4) }

    background: Rectangle {
        color: Theme.screenBackground
        radius: 10
    }

    contentItem: Item {
        clip: true

        // The bar rounds only its upper corners, like the sheet under it: this fills its lower ones.
        Rectangle {
            anchors.fill: bar
            anchors.topMargin: bar.height / 2
            color: Theme.navigationBar
        }
        NavigationBar {
            id: bar
            objectName: "settingsBar"
            anchors.top: parent.top
            anchors.left: parent.left
            anchors.right: parent.right
            radius: 10
            title: sheet.controller.title
            leftItem: [
                BarButton {
                    id: closeButton
                    objectName: "closeSettingsButton"
                    label: qsTr("Close")
                    Accessible.name: label
                    KeyNavigation.tab: autoSaveSwitch
                    onClicked: sheet.close()
                }
            ]
        }

        Column {
            anchors.top: bar.bottom
            anchors.topMargin: 35
            anchors.left: parent.left
            anchors.right: parent.right
            spacing: 35

            Rectangle {
                width: parent.width
                height: 60
                color: "white"
                Text {
                    anchors.left: parent.left
                    anchors.leftMargin: 16
                    anchors.right: autoSaveSwitch.left
                    anchors.verticalCenter: parent.verticalCenter
                    text: sheet.controller.autoSaveText
                    font.pixelSize: 17
                    color: "black"
                    elide: Text.ElideRight
                }
                Switch {
                    id: autoSaveSwitch
                    objectName: "autoSaveSwitch"
                    anchors.right: parent.right
                    anchors.rightMargin: 16
                    anchors.verticalCenter: parent.verticalCenter
                    checked: sheet.controller.autoSaveEnabled
                    Accessible.name: sheet.controller.autoSaveText
                    KeyNavigation.tab: shiftsField
                    Keys.onReturnPressed: { toggle(); toggled() }
                    onToggled: sheet.controller.autoSaveEnabled = checked
                    // The track takes the accent colour when on; the style's own is a dark grey.
                    indicator: Rectangle {
                        objectName: "autoSaveTrack"
                        implicitWidth: 51
                        implicitHeight: 31
                        x: autoSaveSwitch.leftPadding
                        y: (autoSaveSwitch.height - height) / 2
                        radius: height / 2
                        color: autoSaveSwitch.checked ? Theme.tint : Theme.switchTrackOff
                        border.width: autoSaveSwitch.visualFocus ? 2 : 0
                        border.color: Qt.darker(color, 1.3)
                        Behavior on color {
                            ColorAnimation { duration: 150 }
                        }
                        Rectangle {
                            objectName: "autoSaveKnob"
                            width: parent.height - 4
                            height: width
                            radius: width / 2
                            y: 2
                            x: autoSaveSwitch.checked ? parent.width - width - 2 : 2
                            color: autoSaveSwitch.down ? Theme.selectedRow : "white"
                            border.color: Qt.rgba(0, 0, 0, 0.12)
                            Behavior on x {
                                NumberAnimation { duration: 150 }
                            }
                        }
                    }
                }
            }

            // The shifts' start times: stored once they neither overlap nor leave a gap, else the reason shows.
            Rectangle {
                width: parent.width
                height: 60 + (shiftsError.visible ? shiftsError.height + 6 : 0)
                color: "white"
                Text {
                    id: shiftsLabel
                    anchors.left: parent.left
                    anchors.leftMargin: 16
                    y: 18
                    text: qsTr("Shifts")
                    font.pixelSize: 17
                    color: "black"
                }
                TextField {
                    id: shiftsField
                    objectName: "shiftsField"
                    anchors.left: shiftsLabel.right
                    anchors.leftMargin: 16
                    anchors.right: parent.right
                    anchors.rightMargin: 16
                    y: 10
                    height: 40
                    font.pixelSize: 15
                    text: sheet.controller.shiftsText
                    placeholderText: "06:00-14:00, 14:00-22:00, 22:00-06:00"
                    Accessible.name: shiftsLabel.text
                    KeyNavigation.tab: logoutRow
                    onAccepted: if (sheet.controller.setShifts(text)) text = sheet.controller.shiftsText
                    onEditingFinished: if (text !== sheet.controller.shiftsText) sheet.controller.setShifts(text)
                }
                Text {
                    id: shiftsError
                    objectName: "shiftsError"
                    anchors.left: parent.left
                    anchors.right: parent.right
                    anchors.leftMargin: 16
                    anchors.rightMargin: 16
                    y: 56
                    visible: text.length > 0
                    text: sheet.controller.shiftsError
                    color: Theme.destructive
                    font.pixelSize: 13
                    wrapMode: Text.Wrap
                }
            }

            ItemDelegate {
                id: logoutRow
                objectName: "logoutRow"
                width: parent.width
                height: 60
                text: sheet.controller.logoutText
                Accessible.name: text
                KeyNavigation.tab: closeButton
                Keys.onReturnPressed: clicked()
                Keys.onEnterPressed: clicked()
                highlighted: false
                property bool asking: false
                onClicked: {
                    asking = true
                    sheet.controller.askToLogout()
                }
                contentItem: Text {
                    text: logoutRow.text
                    font.pixelSize: 17
                    color: Theme.tint
                    horizontalAlignment: Text.AlignHCenter
                    verticalAlignment: Text.AlignVCenter
                }
                background: Rectangle {
                    color: logoutRow.asking || logoutRow.down ? Theme.selectedRow : "white"
                    border.width: logoutRow.visualFocus ? 2 : 0
                    border.color: Theme.tint
                }
                Connections {
                    target: sheet.controller
                    function onLogoutCancelled() { logoutRow.asking = false }
                }
            }
        }
    }
}
