#!/usr/bin/env python3
"""Writes the reference recording files of the recording tests, built byte by
byte from the file layout (header, warning, XML parameters, separator, sample
block) without the program's own writer, so that the tests compare the
program against an independent rendering of the format."""
import struct
from pathlib import Path

HERE = Path(__file__).resolve().parent


def header():
    h = "Korvatek binary recording file".ljust(78) + "\r\n"
    w = ("Attention: This is a binary data file and cannot be modified!\r\n"
         "Achtung: Dies ist eine binäre Datei und darf nicht geändert werden!\r\n"
         "\x1a\r\n")
    out = (h + w).encode("latin-1")
    assert len(out) == 80 + 135
    return out


def element(level, name, attrs, empty=True):
    text = "  " * level + "<" + name
    for k, v in attrs:
        if isinstance(v, bool):
            v = "1" if v else "0"
        text += ' %s="%s"' % (k, v)
    text += " />\r\n" if empty else ">\r\n"
    return text


def end(level, name):
    return "  " * level + "</" + name + ">\r\n"


def sensor(number, name, wide, dec, lo, hi, unit="", custom="", color=0, visible=True):
    return element(2, "Sensor", [
        ("SensorNumber", number), ("DeviceName", name), ("Has32BitSize", wide), ("Decimals", dec),
        ("DeviceLoRange", lo), ("DeviceHiRange", hi), ("CurrentLoRange", lo), ("CurrentHiRange", hi),
        ("FullLoRange", lo), ("FullHiRange", hi), ("Style", 0), ("ColorIndex", color), ("Comment", ""),
        ("ShowMinMax", False), ("Visible", visible), ("MeasureUnit", unit), ("CustomName", custom),
        ("TimeShift", 0), ("NoOriginalSensor", False)])


def xml(version, general, descriptions, output, trigger, time, state, sensors, remarks, snapshots, infos):
    x = element(0, "KorvatekRecording", [("RecordingVersion", version)], empty=False)
    x += element(1, "RecordingParameters", [], empty=False)
    x += element(2, "GeneralParameters", general)
    x += element(2, "Descriptions", descriptions)
    x += element(2, "OutputParameters", output)
    x += element(2, "TriggerData", trigger)
    x += element(2, "Time", time)
    if state is not None:
        x += element(2, "State", state)
    x += "".join(sensors)
    x += element(2, "RemarkDataCount", [("RemarkCount", len(remarks))])
    x += "".join(element(2, "RemarkData", r) for r in remarks)
    x += element(2, "SnapshotCamera", [("Version", 1)], empty=False)
    x += "".join(element(3, "Snapshot", s) for s in snapshots)
    x += end(2, "SnapshotCamera")
    x += element(2, "InfoString", [("InfoStringCount", len(infos))] +
                 [("InfoString%d" % i, t) for i, t in enumerate(infos)])
    x += end(1, "RecordingParameters")
    x += end(0, "KorvatekRecording")
    return x.encode("latin-1")


def i16(values):
    return b"".join(struct.pack("<h", -32768 if v is None else v) for v in values)


def u16(values):
    return b"".join(struct.pack("<H", v) for v in values)


def i32(values):
    return b"".join(struct.pack("<i", -2147483648 if v is None else v) for v in values)


def plain16():
    """Two 16-bit channels of five samples, no stamps, states or min/max."""
    general = [("ChannelCount", 2), ("HasMinMaxValues", False), ("HasStates", False), ("HasTimeStamps", False),
               ("HasSubTimes", False), ("RecordCount", 5), ("RecordingSource", 0), ("PreTriggerCount", 0),
               ("SampleRate", 12), ("SensorId", "")]
    descriptions = [("Comment", "Druck &amp; Temperatur"), ("Description", "Zeile 1&#10;Zeile 2"),
                    ("DeviceRecordingName", "Kessel"), ("DeviceRecordingNumber", 12), ("RecordingType", 0),
                    ("SimpleCurvMode", 0), ("StartTime", "2007-03-01T14:05:09.000"),
                    ("StopTime", "2007-03-01T14:05:13.000")]
    output = [("LeftYAxis", 3), ("RightYAxis", 0), ("ShowTableMinMax", 2), ("XAxisIndex", -1)]
    trigger = [("TriggerState", 0), ("TriggerTime", "1899-12-30T00:00:00.000")]
    time = [("LoRange", 0), ("HiRange", 10)]
    sensors = [sensor(0, "Channel A", False, 2, -100, 1000, "bar", "Kesseldruck", 0),
               sensor(1, "Channel B", False, 1, -200, 1500, "°C", "", 1)]
    body = xml("VROWIN_V02_E01", general, descriptions, output, trigger, time, None, sensors, [], [],
               ["@Trigger settings", "Event 1|none"])
    block = i16([0, -5, None, 32767, -32767]) + i16([10, 20, 30, 40, 50])
    assert len(block) == 2 * 5 * 2
    return header() + body + b"\x1a" + block


def full():
    """Stamps with sub-times, states, min/max, a 32-bit and a 16-bit channel,
    a remark, a snapshot and information lines."""
    general = [("ChannelCount", 3), ("HasMinMaxValues", True), ("HasStates", True), ("HasTimeStamps", True),
               ("HasSubTimes", True), ("RecordCount", 3), ("RecordingSource", 0), ("PreTriggerCount", 1),
               ("SampleRate", 3), ("SensorId", "S-42")]
    descriptions = [("Comment", ""), ("Description", ""), ("DeviceRecordingName", "Log"),
                    ("DeviceRecordingNumber", 3), ("RecordingType", 2), ("SimpleCurvMode", 1),
                    ("StartTime", "2024-01-02T03:04:05.000"), ("StopTime", "2024-01-02T03:04:07.000")]
    output = [("LeftYAxis", 1), ("RightYAxis", 2), ("ShowTableMinMax", 1), ("XAxisIndex", -1)]
    trigger = [("TriggerState", 5), ("TriggerTime", "2024-01-02T03:04:06.250")]
    time = [("LoRange", 757479845), ("HiRange", 757479846), ("TimeStampHasDate", True)]
    sensors = [sensor(0, "Unknown", False, 0, 0, 100),
               sensor(1, "Channel A", True, 3, -5000000, 5000000, "Pa", "", 0),
               sensor(2, "Channel B", False, 0, 0, 1000, "Hz", "", 1, False)]
    remarks = [[("RemarkId", 3), ("Visible", True), ("XAxisIndex", -1), ("XPosition", 10), ("YPosition", 20),
                ("Comment", "peak"), ("FontColor", 0), ("FontSize", 8), ("IsBold", True), ("IsItalic", False),
                ("IsUnderlined", False), ("IsAnchored", True), ("AnchorIndex", 1), ("AnchorChannel", 0),
                ("BoxWidth", 50)]]
    snapshots = [[("Data", "0|757479845|757479847|-1|1|2|1#1|-5000000|5000000|0|0|0|0#0|0|1000|0|1|0|0@3"),
                  ("Description", "first"), ("Name", "View 1"), ("DateTime", "2024-01-03T10:00:00.500")]]
    body = xml("VROWIN_V02_E02", general, descriptions, output, trigger, time, [("StateCodeId", 0)], sensors,
               remarks, snapshots, ["Line|1"])
    stamps = [757479845, 757479846, 757479846]
    block = (struct.pack("<3I", *stamps) + u16([1, 0, 65535]) + u16([0, 5000, 9999]) +
             i32([1, -2, None]) + i32([0, -3, -1]) + i32([2, -1, 2000000000]) +
             i16([100, None, 7]) + i16([99, None, 6]) + i16([101, None, 8]))
    return header() + body + b"\x1a" + block


if __name__ == "__main__":
    (HERE / "plain16.vxrf").write_bytes(plain16())
    (HERE / "full.vxrf").write_bytes(full())
