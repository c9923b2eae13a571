/*
Torvane 1.1
Copyright (C) 2026 QEL. All rights reserved.
https://www.torvane.example/
https://www.torvane.example/support/
*/
CISlider1(['slider0.jpg','https://www.example.com/harbour.html','_blank','Harbour at dusk',160,120]);
CISlider1(['slider1.jpg','https://www.example.com/dunes.html','_self','Don\'t miss the dunes',240,120]);
CISlider1(['slider2.jpg','','','Forest (no link)',120,120]);
CISlider1(['slider3.jpg','tower.html','','Caf\u00E9 by the tower \u2013 \u00FCber \"old\" town',80,120]);
CISlider1(['slider4.jpg','https://www.example.com/meadow.html?a=1\u0026b=2','gallery','Meadow \u0026 poppies',240,120]);
function CISlider1(ipa){
if(!(window.Slider1cfg)){eval('window.Slider1cfg=new Array();');};
Slider1cfg[Slider1cfg.length]=ipa;};
function InitSlider1(){
if (!window.Bmaf){setTimeout('InitSlider1()',350);return;};
new BXae('Slider1_div',480,130,1,20,6,24,'203040',Slider1cfg,2,3);};
InitSlider1();
