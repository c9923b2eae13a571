<?xml version='1.0' encoding='utf-8'?>
<TS version="2.1" language="en">
<context>
    <name>TPicturePane</name>
    <message numerus="yes">
        <source>%n picture(s)</source>
        <translation><numerusform>%n picture</numerusform><numerusform>%n pictures</numerusform></translation>
    </message>
</context>
</TS>