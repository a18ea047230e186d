<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="ru">
<context>
    <name>TClassItem</name>
    <message>
        <source>Выбор типа фигуры</source>
        <translation>Figure type</translation>
    </message>
    <message>
        <source>Линия</source>
        <translation>Line</translation>
    </message>
    <message>
        <source>Прямоугольник</source>
        <translation>Rectangle</translation>
    </message>
    <message>
        <source>Многоугольник</source>
        <translation>Polygon</translation>
    </message>
    <message>
        <source>Скруглённый прямоугольник</source>
        <translation>Rounded rectangle</translation>
    </message>
    <message>
        <source>Эллипс</source>
        <translation>Ellipse</translation>
    </message>
    <message>
        <source>Сектор</source>
        <translation>Pie</translation>
    </message>
    <message>
        <source>Хорда</source>
        <translation>Chord</translation>
    </message>
    <message>
        <source>Текст</source>
        <translation>Text</translation>
    </message>
    <message>
        <source>Картинка</source>
        <translation>Picture</translation>
    </message>
</context>
<context>
    <name>TColorBox</name>
    <message>
        <source>Чёрный</source>
        <translation>Black</translation>
    </message>
    <message>
        <source>Тёмно-красный</source>
        <translation>Maroon</translation>
    </message>
    <message>
        <source>Зелёный</source>
        <translation>Green</translation>
    </message>
    <message>
        <source>Оливковый</source>
        <translation>Olive</translation>
    </message>
    <message>
        <source>Тёмно-синий</source>
        <translation>Navy</translation>
    </message>
    <message>
        <source>Фиолетовый</source>
        <translation>Purple</translation>
    </message>
    <message>
        <source>Сине-зелёный</source>
        <translation>Teal</translation>
    </message>
    <message>
        <source>Серый</source>
        <translation>Gray</translation>
    </message>
    <message>
        <source>Серебристый</source>
        <translation>Silver</translation>
    </message>
    <message>
        <source>Красный</source>
        <translation>Red</translation>
    </message>
    <message>
        <source>Ярко-зелёный</source>
        <translation>Lime</translation>
    </message>
    <message>
        <source>Жёлтый</source>
        <translation>Yellow</translation>
    </message>
    <message>
        <source>Синий</source>
        <translation>Blue</translation>
    </message>
    <message>
        <source>Пурпурный</source>
        <translation>Fuchsia</translation>
    </message>
    <message>
        <source>Голубой</source>
        <translation>Aqua</translation>
    </message>
    <message>
        <source>Белый</source>
        <translation>White</translation>
    </message>
    <message>
        <source>Серо-зелёный</source>
        <translation>Money green</translation>
    </message>
    <message>
        <source>Небесно-голубой</source>
        <translation>Sky blue</translation>
    </message>
    <message>
        <source>Кремовый</source>
        <translation>Cream</translation>
    </message>
    <message>
        <source>Средне-серый</source>
        <translation>Medium gray</translation>
    </message>
    <message>
        <source>Полоса прокрутки</source>
        <translation>Scroll bar</translation>
    </message>
    <message>
        <source>Рабочий стол</source>
        <translation>Desktop</translation>
    </message>
    <message>
        <source>Заголовок активного окна</source>
        <translation>Active caption</translation>
    </message>
    <message>
        <source>Заголовок неактивного окна</source>
        <translation>Inactive caption</translation>
    </message>
    <message>
        <source>Меню</source>
        <translation>Menu</translation>
    </message>
    <message>
        <source>Фон окна</source>
        <translation>Window background</translation>
    </message>
    <message>
        <source>Рамка окна</source>
        <translation>Window frame</translation>
    </message>
    <message>
        <source>Текст меню</source>
        <translation>Menu text</translation>
    </message>
    <message>
        <source>Текст окна</source>
        <translation>Window text</translation>
    </message>
    <message>
        <source>Текст заголовка активного окна</source>
        <translation>Active caption text</translation>
    </message>
    <message>
        <source>Граница активного окна</source>
        <translation>Active border</translation>
    </message>
    <message>
        <source>Граница неактивного окна</source>
        <translation>Inactive border</translation>
    </message>
    <message>
        <source>Рабочая область приложения</source>
        <translation>Application workspace</translation>
    </message>
    <message>
        <source>Выделение</source>
        <translation>Highlight</translation>
    </message>
    <message>
        <source>Текст выделения</source>
        <translation>Highlighted text</translation>
    </message>
    <message>
        <source>Поверхность кнопки</source>
        <translation>Button face</translation>
    </message>
    <message>
        <source>Тень кнопки</source>
        <translation>Button shadow</translation>
    </message>
    <message>
        <source>Недоступный текст</source>
        <translation>Disabled text</translation>
    </message>
    <message>
        <source>Текст кнопки</source>
        <translation>Button text</translation>
    </message>
    <message>
        <source>Текст заголовка неактивного окна</source>
        <translation>Inactive caption text</translation>
    </message>
    <message>
        <source>Светлый край кнопки</source>
        <translation>Button highlight</translation>
    </message>
    <message>
        <source>Тёмная тень объёмных элементов</source>
        <translation>3-D dark shadow</translation>
    </message>
    <message>
        <source>Светлый край объёмных элементов</source>
        <translation>3-D light</translation>
    </message>
    <message>
        <source>Текст подсказки</source>
        <translation>Tooltip text</translation>
    </message>
    <message>
        <source>Фон подсказки</source>
        <translation>Tooltip background</translation>
    </message>
    <message>
        <source>Другой…</source>
        <translation>Custom…</translation>
    </message>
    <message>
        <source>Цвет</source>
        <translation>Color</translation>
    </message>
</context>
<context>
    <name>TCornersPage</name>
    <message>
        <source>Размер скругления углов:</source>
        <translation>Corner rounding:</translation>
    </message>
    <message>
        <source>Ширина скругления углов</source>
        <translation>Width of the rounded corners</translation>
    </message>
    <message>
        <source>Высота скругления углов</source>
        <translation>Height of the rounded corners</translation>
    </message>
</context>
<context>
    <name>TDocument</name>
    <message>
        <source>Новый</source>
        <translation>Untitled</translation>
    </message>
</context>
<context>
    <name>TEditMode</name>
    <message>
        <source>Режим: Выбор фигуры</source>
        <translation>Mode: Select figure</translation>
    </message>
    <message>
        <source>Режим: Рисование</source>
        <translation>Mode: Draw</translation>
    </message>
    <message>
        <source>Режим: Перемещение</source>
        <translation>Mode: Move</translation>
    </message>
    <message>
        <source>Режим: Изменение размеров</source>
        <translation>Mode: Resize</translation>
    </message>
</context>
<context>
    <name>TFigureAccessible</name>
    <message>
        <source>x %1, y %2, ширина %3, высота %4</source>
        <translation>x %1, y %2, width %3, height %4</translation>
    </message>
</context>
<context>
    <name>TFileDialogs</name>
    <message>
        <source>Изображение JPEG (*.jpg)</source>
        <translation>JPEG image (*.jpg)</translation>
    </message>
    <message>
        <source>Изображение JPEG (*.jpeg)</source>
        <translation>JPEG image (*.jpeg)</translation>
    </message>
    <message>
        <source>Точечные рисунки (*.bmp)</source>
        <translation>Bitmaps (*.bmp)</translation>
    </message>
    <message>
        <source>Значки (*.ico)</source>
        <translation>Icons (*.ico)</translation>
    </message>
    <message>
        <source>Изображение PNG (*.png)</source>
        <translation>PNG image (*.png)</translation>
    </message>
    <message>
        <source>Изображение GIF (*.gif)</source>
        <translation>GIF image (*.gif)</translation>
    </message>
    <message>
        <source>Изображение PBM/PGM/PPM (*.pbm *.pgm *.ppm)</source>
        <translation>PBM/PGM/PPM image (*.pbm *.pgm *.ppm)</translation>
    </message>
    <message>
        <source>Изображение XPM (*.xpm)</source>
        <translation>XPM image (*.xpm)</translation>
    </message>
    <message>
        <source>Все картинки (%1)</source>
        <translation>All pictures (%1)</translation>
    </message>
    <message>
        <source>Открыть файл</source>
        <translation>Open File</translation>
    </message>
    <message>
        <source>Сохранить файл как изображение</source>
        <translation>Save File as Picture</translation>
    </message>
    <message>
        <source>PNG (*.png)</source>
        <translation>PNG (*.png)</translation>
    </message>
    <message>
        <source>SVG (*.svg)</source>
        <translation>SVG (*.svg)</translation>
    </message>
    <message>
        <source>PDF (*.pdf)</source>
        <translation>PDF (*.pdf)</translation>
    </message>
</context>
<context>
    <name>TFontSelectDialog</name>
    <message>
        <source>Шрифт</source>
        <translation>Font</translation>
    </message>
    <message>
        <source>Цвет:</source>
        <translation>Color:</translation>
    </message>
    <message>
        <source>Цвет шрифта</source>
        <translation>Font color</translation>
    </message>
</context>
<context>
    <name>TGridSettings</name>
    <message>
        <source>Шаг сетки</source>
        <translation>Grid Spacing</translation>
    </message>
    <message>
        <source>Шаг сетки, пикселей изображения:</source>
        <translation>Grid spacing, image pixels:</translation>
    </message>
</context>
<context>
    <name>TImagePrinter</name>
    <message>
        <source>Размещение</source>
        <translation>Placement</translation>
    </message>
    <message>
        <source>По размеру страницы</source>
        <translation>Fit to Page</translation>
    </message>
</context>
<context>
    <name>TMainMenu</name>
    <message>
        <source>Файл</source>
        <translation>File</translation>
    </message>
    <message>
        <source>Новый</source>
        <translation>New</translation>
    </message>
    <message>
        <source>Создать новое изображение</source>
        <translation>Create a new image</translation>
    </message>
    <message>
        <source>Открыть</source>
        <translation>Open</translation>
    </message>
    <message>
        <source>Открыть файл</source>
        <translation>Open a file</translation>
    </message>
    <message>
        <source>Спасти и сохранить</source>
        <translation>Save</translation>
    </message>
    <message>
        <source>Сохранить в файл</source>
        <translation>Save to a file</translation>
    </message>
    <message>
        <source>Сохранить как...</source>
        <translation>Save As...</translation>
    </message>
    <message>
        <source>Сохранить в нужном формате</source>
        <translation>Save in the format you need</translation>
    </message>
    <message>
        <source>Закрыть</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>Закрыть файл</source>
        <translation>Close the file</translation>
    </message>
    <message>
        <source>В буфер</source>
        <translation>Copy Image</translation>
    </message>
    <message>
        <source>Из буфера</source>
        <translation>Paste Image</translation>
    </message>
    <message>
        <source>Вставить из буфера</source>
        <translation>Paste from the clipboard</translation>
    </message>
    <message>
        <source>Выход</source>
        <translation>Quit</translation>
    </message>
    <message>
        <source>Выход из программы</source>
        <translation>Quit the program</translation>
    </message>
    <message>
        <source>Правка</source>
        <translation>Edit</translation>
    </message>
    <message>
        <source>Отменить</source>
        <translation>Undo</translation>
    </message>
    <message>
        <source>Отменить последнее действие</source>
        <translation>Undo the last action</translation>
    </message>
    <message>
        <source>Повторить</source>
        <translation>Redo</translation>
    </message>
    <message>
        <source>Повторить отменённое действие</source>
        <translation>Redo the undone action</translation>
    </message>
    <message>
        <source>Настройка</source>
        <translation>Options</translation>
    </message>
    <message>
        <source>Настройки программы</source>
        <translation>The program&apos;s options</translation>
    </message>
    <message>
        <source>Тип сортировки</source>
        <translation>Sort Type</translation>
    </message>
    <message>
        <source>Тип алгоритма сортировки</source>
        <translation>The sorting algorithm</translation>
    </message>
    <message>
        <source>Сортировка Хоара</source>
        <translation>Hoare Sort</translation>
    </message>
    <message>
        <source>Сортировка вставкой</source>
        <translation>Insertion Sort</translation>
    </message>
    <message>
        <source>Пузырьковая сортировка</source>
        <translation>Bubble Sort</translation>
    </message>
    <message>
        <source>О программе</source>
        <translation>About</translation>
    </message>
    <message>
        <source>О программе и авторе</source>
        <translation>About the program and its author</translation>
    </message>
    <message>
        <source>Сетка</source>
        <translation>Grid</translation>
    </message>
    <message>
        <source>Показать или скрыть сетку</source>
        <translation>Show or hide the grid</translation>
    </message>
    <message>
        <source>Привязка к сетке</source>
        <translation>Snap to Grid</translation>
    </message>
    <message>
        <source>Привязывать точки к сетке, к другим фигурам и к краям изображения (Alt - без привязки)</source>
        <translation>Snap points to the grid, other figures and the image edges (Alt: no snapping)</translation>
    </message>
    <message>
        <source>Шаг сетки...</source>
        <translation>Grid Spacing...</translation>
    </message>
    <message>
        <source>Шаг сетки в пикселях изображения</source>
        <translation>Grid spacing in image pixels</translation>
    </message>
    <message>
        <source>Печать...</source>
        <translation>Print...</translation>
    </message>
    <message>
        <source>Напечатать изображение</source>
        <translation>Print the image</translation>
    </message>
    <message>
        <source>Предварительный просмотр...</source>
        <translation>Print Preview...</translation>
    </message>
    <message>
        <source>Показать страницу, как она будет напечатана</source>
        <translation>Show the page as it will be printed</translation>
    </message>
</context>
<context>
    <name>TModelMessage</name>
    <message>
        <source>Неверная подпись изображения</source>
        <translation>Image signature incorrect</translation>
    </message>
    <message>
        <source>Недопустимый размер изображения</source>
        <translation>Image size invalid</translation>
    </message>
    <message>
        <source>Неизвестный класс фигуры</source>
        <translation>Figure class unknown</translation>
    </message>
    <message>
        <source>Ошибка чтения потока</source>
        <translation>Stream read error</translation>
    </message>
    <message>
        <source>Ошибка записи потока</source>
        <translation>Stream write error</translation>
    </message>
    <message>
        <source>Выход за границы массива</source>
        <translation>Array range error</translation>
    </message>
    <message>
        <source>Недостаточно памяти</source>
        <translation>Out of memory</translation>
    </message>
    <message>
        <source>Неизвестная ошибка</source>
        <translation>Unknown failure</translation>
    </message>
    <message>
        <source>Неверный формат точечного рисунка</source>
        <translation>Bitmap image is not valid</translation>
    </message>
    <message>
        <source>Неверный формат изображения JPEG</source>
        <translation>JPEG image is not valid</translation>
    </message>
    <message>
        <source>Точечный рисунок слишком велик (больше 256 МиБ в памяти)</source>
        <translation>Bitmap image too large (over 256 MiB decoded)</translation>
    </message>
    <message>
        <source>Картинки изображения слишком велики (вместе больше 1 ГиБ в памяти)</source>
        <translation>Pictures of the image too large (over 1 GiB decoded together)</translation>
    </message>
    <message>
        <source>Не удаётся открыть файл %1. %2</source>
        <translation>Cannot open file %1. %2</translation>
    </message>
    <message>
        <source>Не удаётся создать файл %1. %2</source>
        <translation>Cannot create file %1. %2</translation>
    </message>
    <message>
        <source>Не удаётся удалить файл %1. %2</source>
        <translation>Cannot remove file %1. %2</translation>
    </message>
    <message>
        <source>Не удаётся переименовать файл %1. %2</source>
        <translation>Cannot rename file %1. %2</translation>
    </message>
    <message>
        <source>Не удаётся создать папку %1. %2</source>
        <translation>Cannot create folder %1. %2</translation>
    </message>
    <message>
        <source>Не удаётся открыть папку %1. %2</source>
        <translation>Cannot open folder %1. %2</translation>
    </message>
    <message>
        <source>Не удаётся открыть ресурс %1</source>
        <translation>Cannot open resource %1</translation>
    </message>
    <message>
        <source>Не найдена домашняя папка для копий восстановления</source>
        <translation>Cannot find the home folder to keep recovery files in</translation>
    </message>
    <message>
        <source>Файл слишком велик (больше %1)</source>
        <translation>File too large (over %1)</translation>
    </message>
    <message>
        <source>Копия для восстановления слишком велика (больше %1)</source>
        <translation>Recovery file too large (over %1)</translation>
    </message>
    <message>
        <source>Данные в буфере обмена слишком велики (больше %1)</source>
        <translation>Clipboard data too large (over %1)</translation>
    </message>
    <message>
        <source>Копия для восстановления %1 повреждена</source>
        <translation>Recovery file %1 is damaged</translation>
    </message>
    <message>
        <source>Копия для восстановления %1 в неизвестном формате (версия %2)</source>
        <translation>Recovery file %1 has an unknown format version (%2)</translation>
    </message>
    <message>
        <source>Ею пользуется программа, которая ещё работает</source>
        <translation>It belongs to a program still running</translation>
    </message>
    <message>
        <source>%1 ГиБ</source>
        <translation>%1 GiB</translation>
    </message>
    <message>
        <source>%1 МиБ</source>
        <translation>%1 MiB</translation>
    </message>
    <message>
        <source>%1 КиБ</source>
        <translation>%1 KiB</translation>
    </message>
    <message>
        <source>%1 байт</source>
        <translation>%1 bytes</translation>
    </message>
    <message>
        <source>Картинка слишком велика (больше %1 точек по стороне)</source>
        <translation>Picture too large (over %1 pixels a side)</translation>
    </message>
    <message>
        <source>Картинка не читается: %1</source>
        <translation>Picture cannot be read: %1</translation>
    </message>
</context>
<context>
    <name>TObjectList</name>
    <message>
        <source> Выбрать существующий объект </source>
        <translation> Select an existing object </translation>
    </message>
    <message>
        <source>Выбор объекта для изменения</source>
        <translation>Choose the object to change</translation>
    </message>
    <message>
        <source>Удалить все фигуры</source>
        <translation>Delete all figures</translation>
    </message>
    <message>
        <source>Удалить фигуру</source>
        <translation>Delete the figure</translation>
    </message>
    <message>
        <source>Передвинуть вперёд</source>
        <translation>Bring forward</translation>
    </message>
    <message>
        <source>Передвинуть назад</source>
        <translation>Send backward</translation>
    </message>
    <message>
        <source>Сортировать фигуры</source>
        <translation>Sort the figures</translation>
    </message>
    <message>
        <source>Запретить измение свойств фигуры</source>
        <translation>Lock the figure&apos;s properties</translation>
    </message>
</context>
<context>
    <name>TPicturePage</name>
    <message>
        <source>Предварительный просмотр</source>
        <translation>Preview</translation>
    </message>
    <message>
        <source>Загрузить</source>
        <translation>Load</translation>
    </message>
    <message>
        <source>Сохранить</source>
        <translation>Save</translation>
    </message>
    <message>
        <source>Очистить</source>
        <translation>Clear</translation>
    </message>
    <message>
        <source>Загрузить картинку из файла</source>
        <translation>Load a picture from a file</translation>
    </message>
    <message>
        <source>Сохранить картинку в файл</source>
        <translation>Save the picture to a file</translation>
    </message>
    <message>
        <source>Очистить картинку</source>
        <translation>Clear the picture</translation>
    </message>
    <message>
        <source>Прозр. фон</source>
        <translation>Transparent</translation>
    </message>
    <message>
        <source>Прозрачный фон картинки</source>
        <translation>Transparent background of the picture</translation>
    </message>
</context>
<context>
    <name>TPropertyPanel</name>
    <message>
        <source>Сплошная</source>
        <translation>Solid</translation>
    </message>
    <message>
        <source>Тире</source>
        <translation>Dash</translation>
    </message>
    <message>
        <source>Точки</source>
        <translation>Dot</translation>
    </message>
    <message>
        <source>Тире-точка</source>
        <translation>Dash-dot</translation>
    </message>
    <message>
        <source>Тире-точка-точка</source>
        <translation>Dash-dot-dot</translation>
    </message>
    <message>
        <source>Отсутствует</source>
        <translation>None</translation>
    </message>
    <message>
        <source>Чёрный</source>
        <translation>Black</translation>
    </message>
    <message>
        <source>Белый</source>
        <translation>White</translation>
    </message>
    <message>
        <source>Пустой</source>
        <translation>Nop</translation>
    </message>
    <message>
        <source>Отрицание</source>
        <translation>Not</translation>
    </message>
    <message>
        <source>Copy</source>
        <translation>Copy</translation>
    </message>
    <message>
        <source>NotCopy</source>
        <translation>NotCopy</translation>
    </message>
    <message>
        <source>MergePenNot</source>
        <translation>MergePenNot</translation>
    </message>
    <message>
        <source>MaskPenNot</source>
        <translation>MaskPenNot</translation>
    </message>
    <message>
        <source>MergeNotPen</source>
        <translation>MergeNotPen</translation>
    </message>
    <message>
        <source>MaskNotPen</source>
        <translation>MaskNotPen</translation>
    </message>
    <message>
        <source>Merge</source>
        <translation>Merge</translation>
    </message>
    <message>
        <source>NotMerge</source>
        <translation>NotMerge</translation>
    </message>
    <message>
        <source>Mask</source>
        <translation>Mask</translation>
    </message>
    <message>
        <source>NotMask</source>
        <translation>NotMask</translation>
    </message>
    <message>
        <source>Xor</source>
        <translation>Xor</translation>
    </message>
    <message>
        <source>NotXor</source>
        <translation>NotXor</translation>
    </message>
    <message>
        <source>Горизонтальные полосы</source>
        <translation>Horizontal lines</translation>
    </message>
    <message>
        <source>Вертикальные полосы</source>
        <translation>Vertical lines</translation>
    </message>
    <message>
        <source>Диагональ сверху-вниз</source>
        <translation>Diagonal down</translation>
    </message>
    <message>
        <source>Диагональ снизу-вверх</source>
        <translation>Diagonal up</translation>
    </message>
    <message>
        <source>Крестик</source>
        <translation>Cross</translation>
    </message>
    <message>
        <source>Диагональный крестик</source>
        <translation>Diagonal cross</translation>
    </message>
    <message>
        <source>Линия</source>
        <translation>Line</translation>
    </message>
    <message>
        <source>Свойства ломаной линии</source>
        <translation>Polyline properties</translation>
    </message>
    <message>
        <source>Прямоугольник</source>
        <translation>Rectangle</translation>
    </message>
    <message>
        <source>Свойства прямоугольника</source>
        <translation>Rectangle properties</translation>
    </message>
    <message>
        <source>Многоугольник</source>
        <translation>Polygon</translation>
    </message>
    <message>
        <source>Свойства многоугольника</source>
        <translation>Polygon properties</translation>
    </message>
    <message>
        <source>Кривоугольник</source>
        <translation>Round rect</translation>
    </message>
    <message>
        <source>Свойства кривоугольника</source>
        <translation>Rounded rectangle properties</translation>
    </message>
    <message>
        <source>Эллипс</source>
        <translation>Ellipse</translation>
    </message>
    <message>
        <source>Свойства эллипса</source>
        <translation>Ellipse properties</translation>
    </message>
    <message>
        <source>Сектор</source>
        <translation>Pie</translation>
    </message>
    <message>
        <source>Свойства сектора</source>
        <translation>Pie properties</translation>
    </message>
    <message>
        <source>Хорда</source>
        <translation>Chord</translation>
    </message>
    <message>
        <source>Свойства хорды</source>
        <translation>Chord properties</translation>
    </message>
    <message>
        <source>Текст</source>
        <translation>Text</translation>
    </message>
    <message>
        <source>Свойства текста</source>
        <translation>Text properties</translation>
    </message>
    <message>
        <source>Картинка</source>
        <translation>Picture</translation>
    </message>
    <message>
        <source> Свойства объекта </source>
        <translation> Object properties </translation>
    </message>
    <message>
        <source> Тип создаваемого объекта </source>
        <translation> Type of new objects </translation>
    </message>
    <message>
        <source>Класс создаваемого объекта</source>
        <translation>Class of new objects</translation>
    </message>
    <message>
        <source>Цвет линии</source>
        <translation>Line color</translation>
    </message>
    <message>
        <source>Толщина линии</source>
        <translation>Line width</translation>
    </message>
    <message>
        <source>Стиль линии</source>
        <translation>Line style</translation>
    </message>
    <message>
        <source>Режим пера</source>
        <translation>Pen mode</translation>
    </message>
    <message>
        <source>Цвет фона</source>
        <translation>Fill color</translation>
    </message>
    <message>
        <source>Стиль фона</source>
        <translation>Fill style</translation>
    </message>
    <message>
        <source>Своиства картинки</source>
        <translation>Picture properties</translation>
    </message>
    <message>
        <source>Ломаная линия, состоящая из отрезков различной длины...</source>
        <translation>A broken line made of segments of any length...</translation>
    </message>
    <message>
        <source>Прямоугольник. Всё управление мышкой. Координаты добавлять не буду. Лень.</source>
        <translation>Rectangle. Everything is done with the mouse. Coordinates? Not adding them. Too lazy.</translation>
    </message>
    <message>
        <source>Обычный многоугольник</source>
        <translation>An ordinary polygon</translation>
    </message>
    <message>
        <source>Стандартный эллипс</source>
        <translation>A standard ellipse</translation>
    </message>
    <message>
        <source>Сектор, вырезанный из эллипса двумя отрезками</source>
        <translation>A pie cut out of an ellipse by two segments</translation>
    </message>
    <message>
        <source>Хорда, вырезанная из эллипса одним отрезком</source>
        <translation>A chord cut off an ellipse by one segment</translation>
    </message>
</context>
<context>
    <name>TSurfaceAccessible</name>
    <message>
        <source>Рисунок</source>
        <translation>Drawing</translation>
    </message>
</context>
<context>
    <name>TTextPage</name>
    <message>
        <source>Текст</source>
        <translation>Text</translation>
    </message>
    <message>
        <source>и без того всё так дерьмово...</source>
        <translation>as if things weren&apos;t bad enough...</translation>
    </message>
    <message>
        <source>Текст надписи</source>
        <translation>Text of the label</translation>
    </message>
    <message>
        <source>Шрифт</source>
        <translation>Font</translation>
    </message>
    <message>
        <source>Выбрать шрифт надписи</source>
        <translation>Choose the label&apos;s font</translation>
    </message>
</context>
<context>
    <name>TViewControl</name>
    <message>
        <source>Масштаб изображения. Щелчок открывает список масштабов</source>
        <translation>Zoom of the image. A click opens the list of levels</translation>
    </message>
    <message>
        <source>Увеличить</source>
        <translation>Zoom In</translation>
    </message>
    <message>
        <source>Увеличить изображение на один шаг масштаба</source>
        <translation>Zoom in one level</translation>
    </message>
    <message>
        <source>Уменьшить</source>
        <translation>Zoom Out</translation>
    </message>
    <message>
        <source>Уменьшить изображение на один шаг масштаба</source>
        <translation>Zoom out one level</translation>
    </message>
    <message>
        <source>Реальный размер</source>
        <translation>Actual Size</translation>
    </message>
    <message>
        <source>Показать изображение в масштабе 100 %</source>
        <translation>Show the image at 100 %</translation>
    </message>
    <message>
        <source>Целиком в окне</source>
        <translation>Fit in Window</translation>
    </message>
    <message>
        <source>Наибольший масштаб, при котором изображение видно целиком</source>
        <translation>The largest level at which the whole image is seen</translation>
    </message>
    <message>
        <source>Выделенная фигура</source>
        <translation>Fit Selected Figure</translation>
    </message>
    <message>
        <source>Наибольший масштаб, при котором выделенная фигура видна целиком</source>
        <translation>The largest level at which the selected figure is seen whole</translation>
    </message>
    <message>
        <source>Масштаб</source>
        <translation>Zoom</translation>
    </message>
    <message>
        <source>Масштаб %1</source>
        <translation>Zoom %1</translation>
    </message>
</context>
<context>
    <name>TfrmAbout</name>
    <message>
        <source>О программе</source>
        <translation>About Kresta</translation>
    </message>
    <message>
        <source>Картинка о программе</source>
        <translation>Picture about the program</translation>
    </message>
    <message>
        <source>Точка, линия, круг —
Целый мир из фигур:
Солнце, волны вокруг,
Парус, ветер, лазурь...
Нарисуй его, друг.
      Разработчики Kresta, 2026
</source>
        <translation>A point, a line, a round —
A whole world made of shapes:
Sun and waves around,
Sails and winds and capes...
Draw it, friend, unbound.
      The Kresta developers, 2026
</translation>
    </message>
    <message>
        <source>Мы начали Kresta для своих схем и эскизов:
хотелось, чтобы каждая фигура оставалась
живой и после того, как её нарисовали.
Писали на C++20 и Qt 6, картинки читает
libjpeg, а эту картинку мы нарисовали
фигурами самой Kresta. Отмена действий
и увеличение уже есть, печати пока нет,
а поворот и масштаб фигур лишь хранятся.
Но рисовать уже можно — попробуйте!
      Закончено в декабре 2026 года.
</source>
        <translation>We began Kresta for our own plans and sketches:
we wanted every figure to stay alive
long after it had been drawn.
Written in C++20 and Qt 6, with libjpeg
for the pictures; this very picture is
drawn with Kresta&apos;s own figures. Undo
and zoom are here, printing is not yet,
and figures&apos; rotation and scale are kept only.
But you can draw already — give it a try!
      Finished in December 2026.
</translation>
    </message>
</context>
<context>
    <name>TfrmImage</name>
    <message>
        <source>Новый</source>
        <translation>Untitled</translation>
    </message>
    <message>
        <source>Пусто</source>
        <translation>Empty</translation>
    </message>
    <message>
        <source>Фигура: </source>
        <translation>Figure: </translation>
    </message>
    <message>
        <source>Краткая справка</source>
        <translation>Quick Help</translation>
    </message>
    <message>
        <source>Левая кнопка мыши + Shift - удалить/добавить точку
Правая кнопка мыши - закончить рисование
Del - удалить выделенную фигуру
Ctrl + C - скопировать фигуру в буфер обмена
Ctrl + X - вырезать фигуру
Ctrl + V - вставить фигуру
</source>
        <translation>Left mouse button + Shift - delete/add a point
Right mouse button - finish drawing
Del - delete the selected figure
Ctrl + C - copy the figure to the clipboard
Ctrl + X - cut the figure
Ctrl + V - paste a figure
</translation>
    </message>
    <message>
        <source>Точка %1 из %2</source>
        <translation>Point %1 of %2</translation>
    </message>
</context>
<context>
    <name>TfrmMain</name>
    <message>
        <source>Копия для восстановления не записана: </source>
        <translation>Recovery copy not written: </translation>
    </message>
    <message>
        <source>Закрыть</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>Закрыть текущий файл?</source>
        <translation>Close the current file?</translation>
    </message>
    <message>
        <source>Сохранить изменения в «%1»?</source>
        <translation>Save the changes to “%1”?</translation>
    </message>
    <message>
        <source>Сохранить</source>
        <translation>Save</translation>
    </message>
    <message>
        <source>Не сохранять</source>
        <translation>Don&apos;t Save</translation>
    </message>
    <message>
        <source>Отмена</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>Изображение не открыто: </source>
        <translation>Image not opened: </translation>
    </message>
    <message>
        <source>Восстановить несохранённое изображение?</source>
        <translation>Restore the unsaved image?</translation>
    </message>
    <message>
        <source>«%1», изменено %2</source>
        <translation>“%1”, changed %2</translation>
    </message>
    <message>
        <source>Новый</source>
        <translation>Untitled</translation>
    </message>
    <message>
        <source>Восстановить</source>
        <translation>Restore</translation>
    </message>
    <message>
        <source>Удалить</source>
        <translation>Delete</translation>
    </message>
    <message>
        <source>Позже</source>
        <translation>Later</translation>
    </message>
    <message>
        <source>
Файл сохранён как %1</source>
        <translation>
The file is kept as %1</translation>
    </message>
    <message>
        <source>Изображение не восстановлено: </source>
        <translation>Image not restored: </translation>
    </message>
    <message>
        <source>Нет доступа к копиям для восстановления: </source>
        <translation>No access to the recovery copies: </translation>
    </message>
    <message numerus="yes">
        <source>Фигур нарисовано в режиме копирования, а не в своём режиме пера: %n</source>
        <translation>
            <numerusform>Figure drawn in copy mode instead of its pen mode: %n</numerusform>
            <numerusform>Figures drawn in copy mode instead of their pen mode: %n</numerusform>
        </translation>
    </message>
    <message>
        <source>В буфере обмена картинка другой программы. Вставить её в открытое изображение фигурой «Картинка»?</source>
        <translation>The clipboard holds a picture from another program. Paste it into the open image as a Picture figure?</translation>
    </message>
</context>
<context>
    <name>TfrmNewDlg</name>
    <message>
        <source>Создать</source>
        <translation>New Image</translation>
    </message>
    <message>
        <source>Цвет фона</source>
        <translation>Background color</translation>
    </message>
    <message>
        <source>Ширина:</source>
        <translation>Width:</translation>
    </message>
    <message>
        <source>Высота:</source>
        <translation>Height:</translation>
    </message>
    <message>
        <source>Отмена</source>
        <translation>Cancel</translation>
    </message>
</context>
<context>
    <name>main</name>
    <message>
        <source>Kresta, редактор векторной графики.</source>
        <translation>Kresta, a vector graphics editor.</translation>
    </message>
    <message>
        <source>ФАЙЛ</source>
        <translation>FILE</translation>
    </message>
    <message>
        <source>Изображение (.kri), открываемое при запуске.</source>
        <translation>An image (.kri) to open at start.</translation>
    </message>
    <message>
        <source>[ФАЙЛ]</source>
        <translation>[FILE]</translation>
    </message>
</context>
</TS>
