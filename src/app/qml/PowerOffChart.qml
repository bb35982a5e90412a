import QtQuick
import Orvendel

// One heat as a timeline: the legends row, the band of delay and gap segments with the selected delay
// raised and slightly enlarged, and the heat's start and end times. Every frame comes from the model; this
// view only draws them and reports taps on a delay's segment.
Item {
    id: chart

    required property PowerOffChartModel model

    // Whatever the data, nothing is drawn over (or takes the taps of) the heats list or the bar chart.
    clip: true

    // A delay's segment was tapped; the index is the delay's in the heat's list.
    signal segmentTapped(int delayIndex)

    // The rows change in place: a delegate stays and re-reads what changed (recreating dozens of them per edit
    // cost more than the rest of the update).

    Binding {
        target: chart.model
        property: "width"
        value: chart.width
    }
    Binding {
        target: chart.model
        property: "height"
        value: chart.height
    }

    Item {
        objectName: "powerOffLegends"
        x: chart.model.legendsFrame.x
        y: chart.model.legendsFrame.y
        width: chart.model.legendsFrame.width
        height: chart.model.legendsFrame.height
        // Legends that do not fit are counted by "+N" at the end of the row (the model leaves them out).

        Repeater {
            model: chart.model.legendRows
            delegate: Rectangle {
                required property int index
                required property rect swatch
                required property color fill
                required property bool outlined
                objectName: "legendSwatch_" + index
                x: swatch.x
                y: swatch.y
                width: swatch.width
                height: swatch.height
                radius: width / 2
                color: fill
                border.width: outlined ? 1 : 0
                border.color: chart.model.labelsTextColor
            }
        }
        Repeater {
            model: chart.model.legendRows
            delegate: Text {
                required property int index
                required property rect label
                required property string caption
                objectName: "legendLabel_" + index
                x: label.x
                y: label.y
                width: label.width
                height: label.height
                text: caption
                color: chart.model.labelsTextColor
                font.pixelSize: 12
                horizontalAlignment: Text.AlignHCenter
                verticalAlignment: Text.AlignVCenter
            }
        }
        Text {
            objectName: "legendMore"
            visible: text.length > 0
            x: chart.model.moreLegendsFrame.x
            y: chart.model.moreLegendsFrame.y
            width: chart.model.moreLegendsFrame.width
            height: chart.model.moreLegendsFrame.height
            text: chart.model.moreLegendsText
            color: chart.model.labelsTextColor
            font.pixelSize: 12
            font.bold: true
            verticalAlignment: Text.AlignVCenter
        }
    }

    Item {
        objectName: "powerOffBand"
        x: chart.model.bandFrame.x
        y: chart.model.bandFrame.y
        width: chart.model.bandFrame.width
        height: chart.model.bandFrame.height

        Item {
            objectName: "powerOffShadowView"
            x: chart.model.shadowFrame.x
            y: chart.model.shadowFrame.y
            width: chart.model.shadowFrame.width
            height: chart.model.shadowFrame.height

            // The band's shadow: a faint copy one point lower instead of a blur, so the software
            // renderer draws it as cheaply as the segments.
            Rectangle {
                objectName: "powerOffBandShadow"
                y: 1
                width: parent.width
                height: parent.height
                color: "black"
                opacity: 0.2
                visible: segments.count > 0
            }

            Item {
                id: segmentContainer
                objectName: "powerOffSegmentContainer"
                x: chart.model.segmentContainerFrame.x
                y: chart.model.segmentContainerFrame.y
                width: chart.model.segmentContainerFrame.width
                height: chart.model.segmentContainerFrame.height

                Repeater {
                    id: segments
                    model: chart.model.segmentRows
                    delegate: Rectangle {
                        required property int index
                        required property rect frame
                        required property color fill
                        required property bool outlined
                        required property bool selected
                        objectName: "powerOffSegment_" + index
                        x: frame.x
                        y: frame.y
                        width: frame.width
                        height: frame.height
                        color: fill
                        border.width: outlined ? 1 : 0
                        border.color: chart.model.labelsTextColor
                        z: selected ? 2 : 0
                    }
                }

                // One area for the taps of every segment: an area per segment doubled the items the renderer
                // walks on every frame.
                MouseArea {
                    objectName: "powerOffSegmentTaps"
                    // The raised segment stands out of the container.
                    x: -parent.height / 2
                    y: -parent.height / 2
                    width: parent.width + 2 * -x
                    height: parent.height * 2
                    z: 3
                    onClicked: mouse => {
                        const index = chart.model.delayIndexAtPoint(mouse.x + x, mouse.y + y)
                        if (index >= 0)
                            chart.segmentTapped(index)
                    }
                }

                // The raised segment's shadow, between it and the band.
                Rectangle {
                    readonly property rect frame: chart.model.selectedFrame
                    objectName: "powerOffSelectedShadow"
                    visible: chart.model.selectedIndex >= 0
                    z: 1
                    x: frame.x
                    y: frame.y + 1
                    width: frame.width
                    height: frame.height
                    color: "black"
                    opacity: 0.35
                }
            }
        }
    }

    Item {
        objectName: "powerOffTimes"
        x: chart.model.timesRowFrame.x
        y: chart.model.timesRowFrame.y
        width: chart.model.timesRowFrame.width
        height: chart.model.timesRowFrame.height

        Text {
            objectName: "powerOffStartTimeLabel"
            x: chart.model.startLabelFrame.x
            y: chart.model.startLabelFrame.y
            width: chart.model.startLabelFrame.width
            height: chart.model.startLabelFrame.height
            text: chart.model.startTimeLabel
            color: chart.model.labelsTextColor
            font.pixelSize: 12
            font.bold: true
        }
        Text {
            objectName: "powerOffStartTimeValue"
            // A narrow chart shrinks the time rather than writing it over the next caption.
            fontSizeMode: Text.HorizontalFit
            minimumPixelSize: 7
            elide: Text.ElideRight
            x: chart.model.startValueFrame.x
            y: chart.model.startValueFrame.y
            width: chart.model.startValueFrame.width
            height: chart.model.startValueFrame.height
            text: chart.model.startTimeValue
            color: chart.model.labelsTextColor
            font.pixelSize: 12
        }
        Text {
            objectName: "powerOffEndTimeLabel"
            x: chart.model.endLabelFrame.x
            y: chart.model.endLabelFrame.y
            width: chart.model.endLabelFrame.width
            height: chart.model.endLabelFrame.height
            text: chart.model.endTimeLabel
            color: chart.model.labelsTextColor
            font.pixelSize: 12
            font.bold: true
        }
        Text {
            objectName: "powerOffEndTimeValue"
            // A narrow chart shrinks the time rather than writing it over the next caption.
            fontSizeMode: Text.HorizontalFit
            minimumPixelSize: 7
            elide: Text.ElideRight
            x: chart.model.endValueFrame.x
            y: chart.model.endValueFrame.y
            width: chart.model.endValueFrame.width
            height: chart.model.endValueFrame.height
            text: chart.model.endTimeValue
            color: chart.model.labelsTextColor
            font.pixelSize: 12
        }
    }
}
