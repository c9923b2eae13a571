/*
Torvane 1.1
Copyright (C) 2026 QEL. All rights reserved.
https://www.torvane.example/
https://www.torvane.example/support/
*/
CIShow(['slider0.jpg','https://www.example.com/index.html','_self','Don\'t miss the caf\u00E9 \uD83D\uDE00',72,48]);
CIShow(['','https://www.example.com/b.html','_blank','Tip \u003C/script\u003E\u003Cb\u003Ebold\u003C/b\u003E',,]);
CIShow(['slider2.jpg','https://www.example.com/c.html','main','line',18,48]);
function CIShow(ipa){
if(!(window.Showcfg)){eval('window.Showcfg=new Array();');};
Showcfg[Showcfg.length]=ipa;};
function InitShow(){
if (!window.Bmaf){setTimeout('InitShow()',350);return;};
new BXae('Show_div',500,54,2,30,6,20,'1A2B3C',Showcfg,2,1);};
InitShow();
