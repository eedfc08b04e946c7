// The page around the game: the canvas at the largest whole scale of device
// pixels that fits the page, centred on black and sharp; the fullscreen
// button; no zoom by pinching; the page's URL query as the game's options
// (?seed=1234 becomes -seed=1234); the log's lines in the console.
'use strict';

var Module = (function() {
  var canvas = document.getElementById('screen');
  var width = canvas.width;
  var height = canvas.height;

  function fit() {
    var ratio = window.devicePixelRatio || 1;
    var box = canvas.parentElement;
    var scale = Math.max(1, Math.floor(Math.min(box.clientWidth * ratio / width,
                                                 box.clientHeight * ratio / height)));
    canvas.style.width = (width * scale / ratio) + 'px';
    canvas.style.height = (height * scale / ratio) + 'px';
  }
  window.addEventListener('resize', fit);
  document.addEventListener('fullscreenchange', function() {
    fit();
    canvas.focus();
  });
  fit();
  canvas.focus();

  var args = [];
  new URLSearchParams(location.search).forEach(function(value, name) {
    args.push('-' + name + (value === '' ? '' : '=' + value));
  });

  // Safari zooms on a pinch whatever the viewport says.
  document.addEventListener('gesturestart', function(e) { e.preventDefault(); });

  document.getElementById('fullscreen').addEventListener('click', function() {
    if (Module.tessarilFullscreen) Module.tessarilFullscreen();
  });

  return {
    canvas: canvas,
    arguments: args,
    print: function(text) { console.log(text); },
    printErr: function(text) { console.error(text); },
  };
})();
