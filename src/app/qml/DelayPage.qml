import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Layouts
import Orvendel

// One delay page: the reason as the title, the times, the markers of an unsaved edit with "Undo Changes",
// the split slider with "Split", the reason with "Find reason" and the comment with its editor.
Item {
    id: page

    required property int index
    required property string title
    required property string times
    required property string duration
    required property string reason
    required property bool hasComment
    required property string comment
    required property bool edited
    required property bool splitEnabled
    required property real sliderMaximum
    required property real sliderValue
    required property string relativeStart
    required property string relativeEnd
    required property string absoluteStart
    required property string absoluteEnd
    required property DelayPagesController pages

    signal findReasonRequested(int index)
    signal commentEditorRequested(int index)
    signal splitPickerRequested(int index)

    // Only the page in view takes the keys: its neighbours and the pages the list keeps for reuse are in the
    // window too, only not drawn, and Tab must not wander onto them.
    readonly property bool takesKeys: ListView.isCurrentItem
    readonly property int keysPolicy: takesKeys ? Qt.StrongFocus : Qt.NoFocus
    // The list keeps pages it no longer shows and gives them other delays later: nothing of the old one stays.
    ListView.onReused: splitSlider.restore()

    readonly property color labelsColor: Qt.rgba(51 / 255, 51 / 255, 51 / 255, 1)
    readonly property color fieldColor: Qt.rgba(224 / 255, 224 / 255, 224 / 255, 1)
    readonly property color unsavedColor: Qt.rgba(231 / 255, 76 / 255, 60 / 255, 1)

    Rectangle {
        id: container
        objectName: "delayPage_" + page.index
        anchors.fill: parent
        anchors.leftMargin: 10
        anchors.rightMargin: 10
        color: Qt.rgba(245 / 255, 245 / 255, 245 / 255, 1)
        radius: 4

        ColumnLayout {
            anchors.fill: parent
            anchors.margins: 14
            spacing: 8

            RowLayout {
                Layout.fillWidth: true
                spacing: 8

                Text {
                    objectName: "delayTypeLabel"
                    Layout.fillWidth: true
                    Layout.preferredHeight: 40
                    text: page.title.length > 0 ? page.title : qsTr("Delay Type")
                    font.bold: true
                    font.pixelSize: 30
                    fontSizeMode: Text.Fit
                    minimumPixelSize: 12
                    horizontalAlignment: Text.AlignHCenter
                    verticalAlignment: Text.AlignVCenter
                    color: Theme.darkGray
                    elide: Text.ElideRight
                    Accessible.role: Accessible.Heading
                    Accessible.name: text
                }
            }

            RowLayout {
                Layout.fillWidth: true
                // As high with the markers as without, so that nothing below moves when an edit shows them.
                Layout.preferredHeight: 34
                spacing: 8

                Text {
                    objectName: "delayTimes"
                    Layout.fillWidth: true
                    text: page.times + "   (" + page.duration + ")"
                    font.pixelSize: 16
                    color: page.labelsColor
                }

                Image {
                    objectName: "editedIcon"
                    visible: page.edited
                    source: "../icons/EditedIcon.svg"
                    sourceSize: Qt.size(22, 22)
                    Layout.preferredWidth: 22
                    Layout.preferredHeight: 22
                }

                Text {
                    objectName: "unsavedLabel"
                    visible: page.edited
                    text: qsTr("Unsaved")
                    font.pixelSize: 16
                    color: page.unsavedColor
                }

                FilledButton {
                    objectName: "undoChangesButton"
                    focusPolicy: page.keysPolicy
                    visible: page.edited
                    text: qsTr("Undo Changes")
                    implicitHeight: 34
                    pixelSize: 15
                    onClicked: page.pages.askUndo(page.index)
                }
            }

            RowLayout {
                Layout.fillWidth: true
                spacing: 10

                SplitSlider {
                    id: splitSlider
                    keysPolicy: page.keysPolicy
                    Layout.fillWidth: true
                    Layout.preferredHeight: implicitHeight
                    maximum: page.sliderMaximum
                    value: page.sliderValue
                    relativeStart: page.relativeStart
                    relativeEnd: page.relativeEnd
                    absoluteStart: page.absoluteStart
                    absoluteEnd: page.absoluteEnd
                    textsFor: function (value) { return page.pages.thumbTexts(page.index, value) }
                    onReleased: value => page.pages.sliderReleased(page.index, value)
                    onFineTuneRequested: page.splitPickerRequested(page.index)
                }

                FilledButton {
                    objectName: "splitDelayButton"
                    focusPolicy: page.keysPolicy
                    text: qsTr("Split")
                    implicitWidth: 100
                    implicitHeight: 44
                    enabled: page.splitEnabled
                    onClicked: page.pages.askSplit(page.index)
                }
            }

            RowLayout {
                Layout.fillWidth: true
                spacing: 10

                Text {
                    text: qsTr("Reason:")
                    font.pixelSize: 22
                    color: page.labelsColor
                    Layout.preferredWidth: 110
                }

                Rectangle {
                    Layout.fillWidth: true
                    Layout.preferredHeight: 44
                    color: page.fieldColor
                    radius: 3
                    Text {
                        objectName: "selectedReasonText"
                        anchors.fill: parent
                        anchors.leftMargin: 8
                        anchors.rightMargin: 8
                        verticalAlignment: Text.AlignVCenter
                        text: page.reason
                        font.pixelSize: 22
                        fontSizeMode: Text.HorizontalFit
                        minimumPixelSize: 12
                        elide: Text.ElideRight
                        color: Theme.darkGray
                    }
                }

                FilledButton {
                    objectName: "findReasonButton"
                    focusPolicy: page.keysPolicy
                    text: qsTr("Find reason")
                    implicitWidth: 140
                    onClicked: page.findReasonRequested(page.index)
                }
            }

            RowLayout {
                Layout.fillWidth: true
                Layout.fillHeight: true
                spacing: 10

                Text {
                    text: qsTr("Comment:")
                    font.pixelSize: 22
                    fontSizeMode: Text.HorizontalFit
                    minimumPixelSize: 12
                    color: page.labelsColor
                    Layout.preferredWidth: 110
                    Layout.alignment: Qt.AlignTop
                    topPadding: 8
                }

                // The comment is written in the comment editor only: a tap here opens it.
                AbstractButton {
                    objectName: "commentsTextView"
                    visible: page.hasComment
                    Layout.fillWidth: true
                    Layout.fillHeight: true
                    Layout.minimumHeight: 44
                    focusPolicy: page.keysPolicy
                    Accessible.role: Accessible.EditableText
                    Accessible.name: qsTr("Comment: %1").arg(page.comment)
                    Keys.onReturnPressed: clicked()
                    Keys.onEnterPressed: clicked()
                    onClicked: page.commentEditorRequested(page.index)
                    background: Rectangle {
                        radius: 3
                        color: page.fieldColor
                        border.width: parent.visualFocus ? 3 : 1
                        border.color: parent.visualFocus ? Qt.rgba(1, 0.8, 0.2, 1) : Qt.rgba(0.75, 0.75, 0.75, 1)
                    }
                    contentItem: Text {
                        text: page.comment
                        font.pixelSize: 18
                        color: Theme.darkGray
                        wrapMode: Text.Wrap
                        elide: Text.ElideRight
                        padding: 6
                    }
                }

                Item {
                    visible: !page.hasComment
                    Layout.fillWidth: true
                    Layout.fillHeight: true
                    FilledButton {
                        objectName: "addCommentButton"
                        focusPolicy: page.keysPolicy
                        text: qsTr("Add Comment")
                        width: 160
                        onClicked: page.commentEditorRequested(page.index)
                    }
                }
            }
        }
    }
}
